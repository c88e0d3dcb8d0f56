#pragma once

class QAbstractButton;

// The pages mark the one chosen button of a group as the only checkable one, and check it, so a
// click on another button does not check it before the keyboard confirms the choice.
namespace ChosenButton {
// Makes the button checkable and checked when chosen, neither otherwise, and has it drawn so.
void mark(QAbstractButton *button, bool chosen);
} // namespace ChosenButton
