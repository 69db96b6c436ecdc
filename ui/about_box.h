// The About box, shown by Enter and the right button while measuring.
#pragma once

void showAboutBox();
