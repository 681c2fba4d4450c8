#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "model/report/StepResponseFigures.h"
#include "tests/ami/ModelLibrary.h"

namespace {

constexpr char DeWarning[] =
    "The IBIS-AMI model, Halvex_tx, is unable to initialize the parameter de from the "
    "AMI_Init arguments.  The model will use the default setting. ";
constexpr double DefaultRate = 32.0 / 7.8125e-11; // 4.096e11 samples per second

std::vector<double> RandomWave(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    std::vector<double> wave(n);
    for (double& x : wave)
        x = level(random);
    return wave;
}

std::string Parameters(const std::string& de) { return "(Halvex_tx (de " + de + "))"; }

// Bitwise equality, so that -0.0 and 0.0 differ and the test is exact.
bool SameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

class AmiEntryPoints : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ModelLibrary::Get().Loaded()) << ModelLibrary::Get().Error();
    }
    ModelLibrary& lib = ModelLibrary::Get();
};

} // namespace

TEST_F(AmiEntryPoints, DeFromTheParameterStringGivesNoMessage)
{
    ModelInstance model(Parameters("3"));
    EXPECT_EQ(model.Result, 1);
    EXPECT_EQ(model.Message, nullptr); // the caller's pointer is left as it was
    EXPECT_EQ(model.Instance().Model.de, 3.0);
}

TEST_F(AmiEntryPoints, MissingOrUnreadableDeGivesTheWarningAndTheDefault)
{
    for (const char* text : {"(Halvex_tx (other 1))", "(Halvex_tx (de abc))", "", "(de 3)",
                             "(Halvex_tx (de 3)", "(Halvex_tx (Model_Specific (de 3)))"}) {
        ModelInstance model(text);
        EXPECT_EQ(model.Result, 1) << text;
        ASSERT_NE(model.Message, nullptr) << text;
        EXPECT_STREQ(model.Message, DeWarning) << text;
        EXPECT_EQ(model.Instance().Model.de, 15.0) << text;
    }

    void* handle = nullptr;
    char* message = nullptr;
    EXPECT_EQ(lib.Init(nullptr, 0, 0, 3.125e-12, 1e-10, nullptr, nullptr, &handle, &message), 1);
    EXPECT_STREQ(message, DeWarning);
    EXPECT_EQ(lib.Close(handle), 1);
}

TEST_F(AmiEntryPoints, SamplesPerBitIsTheRoundedQuotient)
{
    ModelInstance exact(Parameters("3"), 3.125e-12, 1e-10);
    EXPECT_EQ(exact.Instance().SamplesPerBit, 32);
    EXPECT_EQ(exact.Instance().Model.SamplesPerBit, 32.0);
    EXPECT_EQ(exact.Instance().Model.BitTime, 1e-10);
    ModelInstance rounded(Parameters("3"), 3e-12, 1e-10); // 33.33 + 0.5 truncated
    EXPECT_EQ(rounded.Instance().SamplesPerBit, 33);
}

TEST_F(AmiEntryPoints, ZeroSamplesPerBitFailsSetupAndTheHandleStillCloses)
{
    testing::internal::CaptureStderr();
    ModelInstance model(Parameters("3"), 3e-12, 1e-12);
    const std::string diagnostics = testing::internal::GetCapturedStderr();
    EXPECT_EQ(model.Result, 0);
    ASSERT_NE(model.Handle, nullptr);
    EXPECT_STREQ(model.Message, "Error occurred in Halvex_tx::Setup(). ");
    EXPECT_NE(diagnostics.find("SampleRate must be > 0.0"), std::string::npos);
    EXPECT_EQ(lib.Close(model.Handle), 1);
    model.Handle = nullptr;
}

TEST_F(AmiEntryPoints, InvalidTimingIsRefusedWithAMessage)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double bit = 7.8125e-11;
    const double interval = bit / 32;
    struct Case { double interval, bit; const char* says; };
    const Case cases[] = {
        {0.0, bit, "finite and greater than 0"},       {-interval, bit, "finite and greater than 0"},
        {nan, bit, "finite and greater than 0"},       {inf, bit, "finite and greater than 0"},
        {interval, 0.0, "finite and greater than 0"},  {interval, -bit, "finite and greater than 0"},
        {interval, nan, "finite and greater than 0"},  {interval, inf, "finite and greater than 0"},
        {-interval, -bit, "finite and greater than 0"}, {1e-300, 1.0, "too many sample intervals"},
        {1e-17, bit, "too small for this model"},
        // 5e291 taps: the count must not run the message past its buffer.
        {1e-300, 1e-300, "would need 4.995951e+291 taps"},
    };
    for (const Case& c : cases) {
        ModelInstance model(Parameters("3"), c.interval, c.bit);
        EXPECT_EQ(model.Result, 0) << c.interval << " " << c.bit;
        ASSERT_NE(model.Handle, nullptr);
        ASSERT_NE(model.Message, nullptr);
        EXPECT_NE(std::string(model.Message).find(c.says), std::string::npos) << model.Message;
        EXPECT_EQ(std::string(model.Message).back(), ' ');
        std::vector<double> wave(4, 1.0);
        EXPECT_EQ(model.Process(wave), 0);
        EXPECT_EQ(wave, std::vector<double>(4, 1.0));
    }
}

TEST_F(AmiEntryPoints, ClockTimesGetOnlyTheEndMarkAndOnlyForAWave)
{
    ModelInstance model(Parameters("3"));
    double clock[3] = {7.0, 7.0, 7.0};
    std::vector<double> wave(10000, 0.0);
    EXPECT_EQ(lib.GetWave(wave.data(), 0, clock, nullptr, model.Handle), 1);
    EXPECT_EQ(clock[0], 7.0);
    EXPECT_EQ(lib.GetWave(wave.data(), 1, clock, nullptr, model.Handle), 1);
    EXPECT_EQ(clock[0], -1.0);
    EXPECT_EQ(clock[1], 7.0);
    clock[0] = 7.0;
    EXPECT_EQ(lib.GetWave(wave.data(), 10000, clock, nullptr, model.Handle), 1);
    EXPECT_EQ(clock[0], -1.0);
    EXPECT_EQ(clock[1], 7.0);
    EXPECT_EQ(lib.GetWave(wave.data(), 5, nullptr, nullptr, model.Handle), 1);
}

TEST_F(AmiEntryPoints, ImpulseYieldsTheSelectedTapsTimesTheInputGain)
{
    for (int de : {0, 1, 8, 9, 15}) {
        const std::vector<double> taps = TapsOfEntry(Halvex_tx::FilterSelectedBy(de), DefaultRate);
        ASSERT_EQ(taps.size(), 2047u);
        ModelInstance model(Parameters(std::to_string(de)));
        std::vector<double> wave(taps.size() + 3, 0.0);
        wave[0] = 1.0;
        ASSERT_EQ(model.Process(wave), 1);
        for (std::size_t i = 0; i < taps.size(); ++i)
            ASSERT_EQ(wave[i], taps[i] * 1.1) << "de " << de << " sample " << i;
        for (std::size_t i = taps.size(); i < wave.size(); ++i)
            EXPECT_EQ(wave[i], 0.0);
    }
}

TEST_F(AmiEntryPoints, DeIsRoundedHalfAwayFromZeroAtRunTime)
{
    const std::vector<double> input = RandomWave(300, 1);
    auto outputFor = [&](const std::string& de) {
        ModelInstance model(Parameters(de));
        std::vector<double> wave = input;
        EXPECT_EQ(model.Process(wave), 1) << de;
        return wave;
    };
    EXPECT_TRUE(SameBits(outputFor("14.5"), outputFor("15")));
    EXPECT_TRUE(SameBits(outputFor("-0.4"), outputFor("0")));
    EXPECT_TRUE(SameBits(outputFor("3.6"), outputFor("4")));
    EXPECT_FALSE(SameBits(outputFor("3.4"), outputFor("4")));
}

TEST_F(AmiEntryPoints, OutOfRangeDeFailsEveryRunAndLeavesTheWave)
{
    for (const char* de : {"15.5", "-0.5"}) {
        ModelInstance model(Parameters(de));
        EXPECT_EQ(model.Result, 1);
        for (int call = 1; call <= 2; ++call) {
            std::vector<double> wave = RandomWave(50, 2);
            const std::vector<double> input = wave;
            testing::internal::CaptureStderr();
            EXPECT_EQ(model.Process(wave), 0);
            const std::string diagnostics = testing::internal::GetCapturedStderr();
            EXPECT_TRUE(SameBits(wave, input));
            EXPECT_NE(diagnostics.find("Control input signal value is equal to "), std::string::npos);
            std::string expected;
            for (int i = 0; i < call; ++i)
                expected += "Error occurred in Halvex_tx::Run(). ";
            EXPECT_EQ(model.Instance().MessageText, expected);
        }
    }
}

TEST_F(AmiEntryPoints, OutputDoesNotDependOnHowTheWaveIsCut)
{
    const std::vector<double> input = RandomWave(4000, 3);
    ModelInstance whole(Parameters("11"));
    std::vector<double> expected = input;
    ASSERT_EQ(whole.Process(expected), 1);

    auto cutInto = [&](const std::vector<std::size_t>& sizes) {
        ModelInstance model(Parameters("11"));
        std::vector<double> wave = input;
        std::size_t at = 0;
        for (std::size_t size : sizes) {
            EXPECT_EQ(lib.GetWave(wave.data() + at, static_cast<long>(size), nullptr, nullptr,
                                  model.Handle), 1);
            at += size;
        }
        EXPECT_EQ(at, wave.size());
        return wave;
    };
    EXPECT_TRUE(SameBits(cutInto({1000, 3000}), expected));

    std::mt19937 random(4);
    std::vector<std::size_t> sizes;
    for (std::size_t left = input.size(); left > 0;) {
        std::size_t size = std::min<std::size_t>(left, 1 + random() % 700);
        if (random() % 4 == 0)
            size = 1;
        sizes.push_back(size);
        left -= size;
    }
    EXPECT_TRUE(SameBits(cutInto(sizes), expected));
}

TEST_F(AmiEntryPoints, TwoLiveInstancesAreIndependent)
{
    const std::vector<double> input = RandomWave(600, 5);
    auto alone = [&](const char* de) {
        ModelInstance model(Parameters(de));
        std::vector<double> wave = input;
        model.Process(wave);
        return wave;
    };
    const std::vector<double> expectedA = alone("2");
    const std::vector<double> expectedB = alone("13");

    ModelInstance a(Parameters("2"));
    ModelInstance b(Parameters("13"));
    std::vector<double> waveA = input;
    std::vector<double> waveB = input;
    for (std::size_t at = 0; at < input.size(); at += 100) {
        lib.GetWave(waveA.data() + at, 100, nullptr, nullptr, a.Handle);
        lib.GetWave(waveB.data() + at, 100, nullptr, nullptr, b.Handle);
    }
    EXPECT_TRUE(SameBits(waveA, expectedA));
    EXPECT_TRUE(SameBits(waveB, expectedB));
    EXPECT_FALSE(SameBits(waveA, waveB));
}

TEST_F(AmiEntryPoints, RepeatedInitGetWaveCloseCyclesGiveTheSameOutput)
{
    const std::vector<double> input = RandomWave(64, 6);
    std::vector<double> first;
    for (int cycle = 0; cycle < 10; ++cycle) {
        ModelInstance model(Parameters("7"));
        std::vector<double> wave = input;
        ASSERT_EQ(model.Process(wave), 1);
        if (cycle == 0)
            first = wave;
        EXPECT_TRUE(SameBits(wave, first));
    } // leaks would show under LeakSanitizer
}

TEST_F(AmiEntryPoints, GetWaveRefusesBadCallsAndWritesNothing)
{
    std::vector<double> wave(8, 1.0);
    double clock[1] = {7.0};
    EXPECT_EQ(lib.GetWave(wave.data(), 8, clock, nullptr, nullptr), 0);

    ModelInstance model(Parameters("3"));
    EXPECT_EQ(lib.GetWave(wave.data(), -1, clock, nullptr, model.Handle), 0);
    EXPECT_EQ(lib.GetWave(nullptr, 8, clock, nullptr, model.Handle), 0);
    EXPECT_EQ(wave, std::vector<double>(8, 1.0));
    EXPECT_EQ(clock[0], 7.0);
    EXPECT_EQ(model.Instance().MessageText,
              "AMI_GetWave refused: the wave size is negative. "
              "AMI_GetWave refused: the wave pointer is null. ");
    EXPECT_EQ(lib.GetWave(nullptr, 0, clock, nullptr, model.Handle), 1);

    ModelInstance failed(Parameters("3"), 0.0, 7.8125e-11);
    EXPECT_EQ(lib.GetWave(wave.data(), 8, clock, nullptr, failed.Handle), 0);
    EXPECT_EQ(wave, std::vector<double>(8, 1.0));
    EXPECT_EQ(clock[0], 7.0);
    EXPECT_NE(failed.Instance().MessageText.find("AMI_Init did not succeed"), std::string::npos);
}

TEST_F(AmiEntryPoints, NullPointersAtInitAndCloseAreRefusedWithoutACrash)
{
    char params[] = "(Halvex_tx (de 3))";
    char* message = nullptr;
    EXPECT_EQ(lib.Init(nullptr, 0, 0, 3.125e-12, 1e-10, params, nullptr, nullptr, &message), 0);
    ASSERT_NE(message, nullptr);
    EXPECT_NE(std::string(message).find("memory handle"), std::string::npos);

    void* handle = nullptr;
    EXPECT_EQ(lib.Init(nullptr, 0, 0, 3.125e-12, 1e-10, params, nullptr, &handle, nullptr), 1);
    EXPECT_EQ(lib.Close(handle), 1);
    EXPECT_EQ(lib.Close(nullptr), 0);
}

TEST_F(AmiEntryPoints, InitLeavesTheImpulseMatrixAndOutputParametersAlone)
{
    double impulse[3] = {1.0, 2.0, 3.0};
    char params[] = "(Halvex_tx (de 3))";
    char* out = reinterpret_cast<char*>(impulse); // any recognisable value
    void* handle = nullptr;
    EXPECT_EQ(lib.Init(impulse, 3, 0, 3.125e-12, 1e-10, params, &out, &handle, nullptr), 1);
    EXPECT_EQ(impulse[1], 2.0);
    EXPECT_EQ(out, reinterpret_cast<char*>(impulse));
    EXPECT_STREQ(params, "(Halvex_tx (de 3))");
    EXPECT_EQ(lib.Close(handle), 1);
}
