// Moves the working values into the description window's controls and back, control by control
// in the dialog's fixed order, refusing a bad thread count or an over-long text. It never touches
// the store; keeping the dialog's change handlers quiet meanwhile is the caller's job.
#pragma once

#include <QString>
#include <functional>

#include "dialogs/DescriptionControls.h"
#include "dialogs/DescriptionWorkingValues.h"

class QWidget;

namespace quorvane {

enum class ExchangeDirection { ToControls, FromControls };

// Shows a refusal to the user; the parent is the dialog window.
using RefusalWarner = std::function<void(QWidget* parent, const QString& text)>;

// The texts of the refusals.
QString NotANumberWarning();
QString ThreadRangeWarning();
QString TooLongWarning(const QString& label, int maxLength);

constexpr int kMotherboardMaxLength = 63;
constexpr int kCpuCountMaxLength = 8;

// Towards the controls: sets each control's text (only where it differs, so that the caret and
// the undo history of an unchanged field stay); always succeeds. The input limits of Motherboard
// and "# of CPUs" are part of the window's layout, so over-long texts are refused when read.
// From the controls: reads each control into its working value. On a refusal it warns, puts the
// focus on the offending control with its whole text selected, reads no later control and returns
// false. A thread count that is a number out of range is taken before it is refused.
bool ExchangeData(const DescriptionControls& controls, DescriptionWorkingValues& values,
                  ExchangeDirection direction, const RefusalWarner& warn);

// `values` with the thread count and every text as the controls show them, read without a check
// or a warning (a thread count that is not a number reads as 0): what an opening showed, to tell
// later which fields the user changed.
DescriptionWorkingValues ShownValues(const DescriptionControls& controls,
                                     DescriptionWorkingValues values);

}  // namespace quorvane
