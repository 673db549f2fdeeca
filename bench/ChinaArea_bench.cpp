// Worst cases of the two division lookups: the name of the table's last row, and a name that
// is in no row.
#include <benchmark/benchmark.h>

#include <string>

#include "customer/ChinaArea.h"

namespace {

void BM_CitiesOf(benchmark::State& state, std::string name) {
  for (auto _ : state) benchmark::DoNotOptimize(teshmar::CitiesOf(name));
}

void BM_AreasOf(benchmark::State& state, std::string name) {
  for (auto _ : state) benchmark::DoNotOptimize(teshmar::AreasOf(name));
}

BENCHMARK_CAPTURE(BM_CitiesOf, last_province, std::string(teshmar::ProvinceTable.back().name));
BENCHMARK_CAPTURE(BM_CitiesOf, unknown_name, std::string("不存在的省份"));
BENCHMARK_CAPTURE(BM_AreasOf, last_city, std::string(teshmar::CityTable.back().name));
// The last city with counties of its own: the whole table walked and a result built.
BENCHMARK_CAPTURE(BM_AreasOf, last_city_with_counties, std::string("新疆省辖单位"));
BENCHMARK_CAPTURE(BM_AreasOf, unknown_name, std::string("不存在的城市"));

}  // namespace

BENCHMARK_MAIN();
