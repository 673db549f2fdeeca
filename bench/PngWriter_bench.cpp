// Encoding a whole 1024x768 screenshot, as the end-to-end tests save one per window they open.
#include <benchmark/benchmark.h>

#include "tools/PngWriter.h"

namespace {

void BM_EncodeScreen(benchmark::State& state) {
  teshmar::RgbImage image{1024, 768, std::vector<std::uint8_t>(1024 * 768 * 3)};
  for (std::size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = static_cast<std::uint8_t>(i * 31);
  for (auto _ : state) benchmark::DoNotOptimize(teshmar::EncodePng(image));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(image.rgb.size()));
}

BENCHMARK(BM_EncodeScreen)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
