#include "ChosenButton.h"

#include <QAbstractButton>

namespace ChosenButton {

void mark(QAbstractButton *button, bool chosen)
{
    // A button is unchecked while it is still checkable: taking the checkable flag first drops the
    // check without a repaint, and the button would stay drawn checked until the mouse passes.
    if (chosen)
        button->setCheckable(true);
    button->setChecked(chosen);
    button->setCheckable(chosen);
}

} // namespace ChosenButton
