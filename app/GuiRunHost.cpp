#include "app/GuiRunHost.h"

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QThread>

#include "dialogs/StoreText.h"

namespace quorvane {

void HandOff::Run(const std::function<void()>& call) {
  std::unique_lock<std::mutex> lock(mutex_);
  pending_ = &call;
  QMetaObject::invokeMethod(this, "RunPending", Qt::QueuedConnection);
  finished_.wait(lock, [this] { return pending_ == nullptr; });
}

void HandOff::RunPending() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (pending_ == nullptr) return;
  (*pending_)();
  pending_ = nullptr;
  finished_.notify_one();
}

GuiRunHost::GuiRunHost(Calls calls) : calls_(std::move(calls)) {}

void GuiRunHost::OnUiThread(const std::function<void()>& call) {
  if (QThread::currentThread() == handOff_.thread()) {
    call();
  } else {
    handOff_.Run(call);
  }
}

void GuiRunHost::ShowReport() { OnUiThread(calls_.showReport); }

void GuiRunHost::ResultsChanged() { OnUiThread(calls_.rebuildReport); }

void GuiRunHost::ShowWarning(const QString& text) {
  OnUiThread([&] { calls_.showWarning(text); });
}

void GuiRunHost::RepetitionStarted(int repetition, int of) {
  repetition_ =
      of > 1 ? QStringLiteral("Repetition %1 of %2: ").arg(repetition).arg(of) : QString();
}

void GuiRunHost::Progress(const RunProgress& progress) {
  const QString name =
      repetition_ + FromStoreText(ProgressPrefix(progress)) + FromStoreText(progress.name);
  OnUiThread([&] { calls_.showProgress(name, progress.step, progress.steps); });
}

void GuiRunHost::ShowError(std::string_view text, std::string_view caption) {
  const QString message = FromStoreText(text);
  const QString title = FromStoreText(caption);
  OnUiThread([&] { calls_.showError(message, title); });
}

void GuiRunHost::ShowMeasurementWarning(std::string_view text) {
  measurementWarnings_ << repetition_ + FromStoreText(text);
}

}  // namespace quorvane
