// The application object: shows the main dialog modally and ends the program when it ends.
#pragma once

namespace qtui {

class CTolvikApp {
public:
    // Runs the dialog; false so that no message loop of the application's own follows.
    bool InitInstance();
};

}  // namespace qtui
