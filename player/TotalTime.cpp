#include "player/TotalTime.h"

#include "mci/CheckedArithmetic.h"

namespace kelto::player {

TotalTime TotalTimeFromMs(std::int32_t milliseconds) {
    TotalTime total;
    // Any 32-bit count of milliseconds divided by 1000 fits: this cannot fail.
    total.seconds = *mci::RoundToInt32(static_cast<double>(milliseconds) / 1000.0);
    // Floor division: a negative length would still give a remainder of 0..59.
    total.minutes = total.seconds / 60 - (total.seconds % 60 < 0 ? 1 : 0);
    total.remainder = total.seconds - 60 * total.minutes;
    total.remainderText = (total.remainder <= 9 ? "0" : "") + mci::Decimal(total.remainder);
    return total;
}

std::string TotalTimeLabel(const TotalTime& total) {
    // Seconds, three blanks, m:ss: the hidden label's layout; users see the total in lbcurrentime.
    return mci::Decimal(total.seconds) + "   " + mci::Decimal(total.minutes) + ":" +
           total.remainderText;
}

}  // namespace kelto::player
