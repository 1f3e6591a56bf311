// Listing many profiles: the window opening with a stored key fills the popup from the
// service's answer. Prints the time for 2,000 and 20,000 profiles; target: the larger
// within 12 x the smaller.
#include "bench_support.h"

#include "platform/testing.h"

#include <cstdio>

namespace {

double listSeconds(int count)
{
    pwtest::ServiceScript script;
    for (int i = 0; i < count; ++i)
        script.profiles.push_back({QString::number(100000 + i), QStringLiteral("Profile number %1").arg(i), 0});
    bench::ServedEnvironment env(script);
    env.storeKey(script.validKey.toLatin1());
    pwtest::ScriptedDialogs dialogs;

    const auto start = std::chrono::steady_clock::now();
    app::Initialize();
    platform::RunFrameworkInitialization(app::Startup);
    const double seconds = bench::secondsSince(start);
    const int rows = platform::test::ListCount(
        Window1::implicitInstance()->control<platform::PopupMenu>(QStringLiteral("profilemenu")));
    app::Finalize();
    if (rows != count + 1)
        std::printf("warning: %d rows listed, expected %d\n", rows - 1, count);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    bench::Environment setup;   // offscreen before the application object exists
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pondwhirl-downloader"));
    listSeconds(100);   // warm-up
    const double small = listSeconds(2000);
    const double large = listSeconds(20000);
    std::printf("profile list: 2,000 profiles %.3f s, 20,000 profiles %.3f s, ratio %.2f (target <= 12)\n", small,
                large, large / small);
    return 0;
}
