// The decimal separator of the user's regional settings, read without
// changing anything in the process.
#pragma once

char UserDecimalSeparator();
