// The main of the benchmarks that need Qt: the offscreen platform, and a
// settings folder of the program's own, empty at start and removed at the end.
#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::filesystem::path config = std::filesystem::temp_directory_path() /
                                         ("tonecast-" + std::filesystem::path(argv[0]).filename().string() + "-config");
    std::filesystem::remove_all(config);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    QApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    std::filesystem::remove_all(config);
    return 0;
}
