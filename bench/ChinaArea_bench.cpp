// Worst cases of the two division lookups: the name of the table's last row, and a name that
// is in no row.
#include <benchmark/benchmark.h>

#include <string>

#include "customer/ChinaArea.h"

namespace {

using teshmar::AreasOf;
using teshmar::CitiesOf;

void BM_CitiesOfLastProvince(benchmark::State& state) {
  const std::string name(teshmar::ProvinceTable.back().name);
  for (auto _ : state) benchmark::DoNotOptimize(CitiesOf(name));
}
BENCHMARK(BM_CitiesOfLastProvince);

void BM_CitiesOfUnknownName(benchmark::State& state) {
  const std::string name = "不存在的省份";
  for (auto _ : state) benchmark::DoNotOptimize(CitiesOf(name));
}
BENCHMARK(BM_CitiesOfUnknownName);

void BM_AreasOfLastCity(benchmark::State& state) {
  const std::string name(teshmar::CityTable.back().name);
  for (auto _ : state) benchmark::DoNotOptimize(AreasOf(name));
}
BENCHMARK(BM_AreasOfLastCity);

// The last city with counties of its own: the whole table walked and a result built.
void BM_AreasOfLastCityWithCounties(benchmark::State& state) {
  const std::string name = "新疆省辖单位";
  for (auto _ : state) benchmark::DoNotOptimize(AreasOf(name));
}
BENCHMARK(BM_AreasOfLastCityWithCounties);

void BM_AreasOfUnknownName(benchmark::State& state) {
  const std::string name = "不存在的城市";
  for (auto _ : state) benchmark::DoNotOptimize(AreasOf(name));
}
BENCHMARK(BM_AreasOfUnknownName);

}  // namespace

BENCHMARK_MAIN();
