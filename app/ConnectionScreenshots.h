// With HTTPVORLIN_SCREENSHOTS set and HTTPVORLIN_TOUR=connection the program
// photographs connection control: the menu "Dail-Up" open and the settings
// page "Internet Connection" with the profiles offered, then closes
// (tools/screenshots.sh runs it against a NetworkManager of its own).
#pragma once

namespace vorlin::app {

class THttpGetForm;

// Starts the tour when the environment asks for it; false otherwise.
bool StartConnectionScreenshots(THttpGetForm& window);

} // namespace vorlin::app
