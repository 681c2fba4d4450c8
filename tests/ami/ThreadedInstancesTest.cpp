#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/ami/ModelLibrary.h"

namespace {

// Creates, drives in blocks of 97 samples and closes one instance.
std::vector<double> Drive(int de, const std::vector<double>& input)
{
    ModelInstance model("(Halvex_tx (de " + std::to_string(de) + "))");
    std::vector<double> wave = input;
    for (std::size_t at = 0; at < wave.size(); at += 97) {
        const long n = static_cast<long>(std::min<std::size_t>(97, wave.size() - at));
        ModelLibrary::Get().GetWave(wave.data() + at, n, nullptr, nullptr, model.Handle);
    }
    return wave;
}

} // namespace

TEST(ThreadedInstances, ConcurrentInstancesGiveTheSameOutputsAsOneAtATime)
{
    ASSERT_TRUE(ModelLibrary::Get().Loaded()) << ModelLibrary::Get().Error();
    std::mt19937 random(11);
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    std::vector<double> input(1000);
    for (double& x : input)
        x = level(random);

    const int settings[] = {0, 5, 9, 15};
    std::vector<std::vector<double>> sequential;
    for (int de : settings)
        sequential.push_back(Drive(de, input));

    std::vector<std::vector<double>> concurrent(4);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&, i] { concurrent[i] = Drive(settings[i], input); });
    for (std::thread& t : threads)
        t.join();

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::memcmp(concurrent[i].data(), sequential[i].data(),
                              input.size() * sizeof(double)), 0) << "de " << settings[i];
}
