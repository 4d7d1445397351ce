#include "dialogs/DescriptionExchange.h"

#include <QLineEdit>
#include <array>

#include "dialogs/ThreadCount.h"

namespace quorvane {

namespace {

using C = DescriptionControls;
using W = DescriptionWorkingValues;

struct TextStep {
  QLineEdit* C::*control;
  QString W::*text;
  int maxLength;      // 0: any length
  const char* label;  // names the field in a refusal
};

// Every text control after the thread count, in the order of the exchange.
constexpr std::array<TextStep, 17> kTextSteps = {{
    {&C::motherboard, &W::motherboard, kMotherboardMaxLength, "Motherboard"},
    {&C::brand, &W::brand, 0, "Brand"},
    {&C::cacheSize, &W::cacheSize, 0, "Cache Size"},
    {&C::cacheType, &W::cacheType, 0, "Cache Type"},
    {&C::controller, &W::controller, 0, "Controller"},
    {&C::cpu, &W::cpu, 0, "CPU"},
    {&C::driveLetter, &W::driveLetter, 0, "Drive Letter"},
    {&C::driver, &W::driver, 0, "Driver"},
    {&C::externalClock, &W::externalClock, 0, "External Clock"},
    {&C::harddisk, &W::harddisk, 0, "Harddisk"},
    {&C::internalClock, &W::internalClock, 0, "Internal Clock"},
    {&C::model, &W::model, 0, "Model"},
    {&C::os, &W::os, 0, "OS"},
    {&C::ramSize, &W::ramSize, 0, "RAM Size"},
    {&C::ramSpeed, &W::ramSpeed, 0, "RAM Speed"},
    {&C::ramType, &W::ramType, 0, "RAM Type"},
    {&C::cpuCount, &W::cpuCount, kCpuCountMaxLength, "# of CPUs"},
}};

void SetTextIfChanged(QLineEdit* edit, const QString& text) {
  if (edit->text() != text) edit->setText(text);
}

bool Refuse(QLineEdit* edit, const QString& text, const RefusalWarner& warn) {
  warn(edit->window(), text);
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  return false;
}

void ToControls(const DescriptionControls& controls, const DescriptionWorkingValues& values) {
  SetTextIfChanged(controls.threads, QString::number(values.threads));
  for (const TextStep& step : kTextSteps) {
    SetTextIfChanged(controls.*step.control, values.*step.text);
  }
}

bool FromControls(const DescriptionControls& controls, DescriptionWorkingValues& values,
                  const RefusalWarner& warn) {
  const std::optional<std::int32_t> threads = ReadWholeNumber(controls.threads->text());
  if (!threads) return Refuse(controls.threads, NotANumberWarning(), warn);
  values.threads = *threads;
  if (!IsThreadCountInRange(values.threads)) {
    return Refuse(controls.threads, ThreadRangeWarning(), warn);
  }
  for (const TextStep& step : kTextSteps) {
    QLineEdit* edit = controls.*step.control;
    // A text that no result file can hold is refused before it is taken, so it is never stored.
    if (const FieldTextProblem problem = StoreTextProblem(edit->text());
        problem != FieldTextProblem::None) {
      return Refuse(edit, QString::fromStdString(FieldTextMessage(step.label, problem)), warn);
    }
    values.*step.text = edit->text();
    if (step.maxLength > 0 && edit->text().size() > step.maxLength) {
      return Refuse(edit, TooLongWarning(QString::fromLatin1(step.label), step.maxLength), warn);
    }
  }
  return true;
}

}  // namespace

QString NotANumberWarning() {
  return QStringLiteral(
             "The number of threads must be a whole number. "
             "Please enter a number between %1 and %2.")
      .arg(kMinThreads)
      .arg(kMaxThreads);
}

QString ThreadRangeWarning() {
  return QStringLiteral("Please enter a whole number of threads between %1 and %2.")
      .arg(kMinThreads)
      .arg(kMaxThreads);
}

QString TooLongWarning(const QString& label, int maxLength) {
  return QStringLiteral("The entry \"%1\" may be at most %2 characters long. Please shorten it.")
      .arg(label)
      .arg(maxLength);
}

bool ExchangeData(const DescriptionControls& controls, DescriptionWorkingValues& values,
                  ExchangeDirection direction, const RefusalWarner& warn) {
  if (direction == ExchangeDirection::ToControls) {
    ToControls(controls, values);
    return true;
  }
  return FromControls(controls, values, warn);
}

DescriptionWorkingValues ShownValues(const DescriptionControls& controls,
                                     DescriptionWorkingValues values) {
  values.threads = ReadWholeNumber(controls.threads->text()).value_or(0);
  for (const TextStep& step : kTextSteps) values.*step.text = (controls.*step.control)->text();
  return values;
}

}  // namespace quorvane
