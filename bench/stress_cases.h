// The drawing's worst cases as Google Benchmark cases.
#ifndef VANTRI_BENCH_STRESS_CASES_H_
#define VANTRI_BENCH_STRESS_CASES_H_

namespace vantri::bench {

/// Registers the cases as "stress/<name>".
void register_stress_cases();

}  // namespace vantri::bench

#endif  // VANTRI_BENCH_STRESS_CASES_H_
