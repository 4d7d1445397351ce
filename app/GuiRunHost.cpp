#include "app/GuiRunHost.h"

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QThread>

namespace quorvane {

namespace {
QString FromText(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

GuiRunHost::GuiRunHost(QObject& context, Calls calls)
    : context_(context), calls_(std::move(calls)) {}

void GuiRunHost::OnUiThread(const std::function<void()>& call) {
  if (QThread::currentThread() == context_.thread()) {
    call();
  } else {
    QMetaObject::invokeMethod(&context_, call, Qt::BlockingQueuedConnection);
  }
}

void GuiRunHost::ShowReport() { OnUiThread(calls_.showReport); }

void GuiRunHost::ResultsChanged() { OnUiThread(calls_.rebuildReport); }

void GuiRunHost::Progress(const RunProgress& progress) {
  const QString name = FromText(progress.name);
  OnUiThread([&] { calls_.showProgress(name, progress.step, progress.steps); });
}

void GuiRunHost::ShowError(std::string_view text, std::string_view caption) {
  const QString message = FromText(text);
  const QString title = FromText(caption);
  OnUiThread([&] { calls_.showError(message, title); });
}

}  // namespace quorvane
