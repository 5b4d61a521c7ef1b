#include "player/ResultLabel.h"

#include "mci/CommandResult.h"

namespace kelto::player {

void ShowLastResult(ui::Form1& form) {
    // The fixed lead-in heads every result; the label is hidden: a record, not a message.
    form.LbResult->setText(QStringLiteral("Result calling Function is : ") +
                           QString::fromStdString(mci::ResultDisplayText(form.state.lastResult)));
}

}  // namespace kelto::player
