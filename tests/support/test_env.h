#pragma once
// The headless test set-up: every test process runs with the offscreen platform, its own
// empty preferences folder and a curl configuration that can reach only 127.0.0.1.
#include <QString>

namespace pwtest {

// Folders made by the test main for this process.
QString PreferencesFolder();   // $XDG_CONFIG_HOME
QString CurlHome();            // $CURL_HOME; FakeService::writeCurlConfig(CurlHome()) aims curl at a fake service
QString ScratchFolder();       // a fresh folder for output files and canaries

} // namespace pwtest
