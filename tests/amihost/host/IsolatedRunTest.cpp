#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <unistd.h>
#include <string>
#include <vector>

#include "tools/amihost/host/AmiModel.h"
#include "tools/amihost/host/guard/IsolatedRun.h"

namespace {

// AMI_Init of the model at `path` on a one-tap impulse, in a child: its
// return value and message as the output.
IsolatedRun::Result InitInChild(const char* path)
{
    AmiModel model;
    std::string error;
    EXPECT_TRUE(model.Load(path, error)) << error;
    return IsolatedRun::Run([&](std::string& output) {
        std::vector<double> impulse(64, 0.0);
        impulse[0] = 1.0;
        char parameters[] = "(stub)";
        char* out = nullptr;
        char* message = nullptr;
        void* handle = nullptr;
        const long status = model.Init(impulse.data(), 64, 1, 1e-11, 1e-10, parameters, &out, &handle, &message);
        output = std::to_string(status) + (message ? std::string(" ") + message : std::string());
        if (handle)
            model.Close(handle);
        return status == 1;
    });
}

} // namespace

// A stand-in model that traps inside AMI_Init kills only the child: the
// host goes on and learns the signal; sound and failing models' AMI_Init
// come back with what they returned.
TEST(IsolatedRun, ACrashInsideAmiInitBecomesItsSignal)
{
    const IsolatedRun::Result crashed = InitInChild(STUB_CRASHES_IN_INIT_PATH);
    EXPECT_EQ(crashed.End, IsolatedRun::Ending::Signalled);
    EXPECT_EQ(crashed.Signal, SIGILL);
    EXPECT_EQ(IsolatedRun::SignalName(crashed.Signal).rfind("SIGILL (", 0), 0u);
    EXPECT_TRUE(crashed.Output.empty());

    const IsolatedRun::Result sound = InitInChild(STUB_SOUND_PATH);
    EXPECT_EQ(sound.End, IsolatedRun::Ending::Returned);
    EXPECT_TRUE(sound.Succeeded);
    EXPECT_EQ(sound.Output, "1");

    const IsolatedRun::Result refused = InitInChild(STUB_INIT_FAILS_PATH);
    EXPECT_EQ(refused.End, IsolatedRun::Ending::Returned);
    EXPECT_FALSE(refused.Succeeded);
    EXPECT_EQ(refused.Output, "0 stub model: parameter gain is out of range");
}

// Work that leaves by exit() is told from work that returned, whatever its
// status; work that outlasts its time is killed; output larger than a pipe
// holds comes back whole.
TEST(IsolatedRun, ExitTimeoutAndLargeOutputAreToldApart)
{
    const IsolatedRun::Result exited = IsolatedRun::Run([](std::string&) -> bool { std::exit(0); });
    EXPECT_EQ(exited.End, IsolatedRun::Ending::Exited);
    EXPECT_EQ(exited.ExitStatus, 0);

    const IsolatedRun::Result hung = IsolatedRun::Run(
        [](std::string&) {
            for (;;)
                pause();
            return true;
        },
        0.2);
    EXPECT_EQ(hung.End, IsolatedRun::Ending::TimedOut);

    const IsolatedRun::Result large = IsolatedRun::Run([](std::string& output) {
        output.assign(1 << 20, 'x');
        return true;
    });
    EXPECT_EQ(large.End, IsolatedRun::Ending::Returned);
    EXPECT_EQ(large.Output, std::string(1 << 20, 'x'));
}
