// Throughput of seal and unseal on 64 MiB against OpenSSL's DES in ECB mode on the same bytes,
// measured in the same run; prints the ratios at the end. The reference is EVP des-ecb from
// OpenSSL 3's legacy provider (one core); the low-level DES_ecb_encrypt is shown beside it.
// seal and unseal include allocating and filling their result; the blocks_* runs time the
// cipher path alone on a buffer allocated beforehand, as the OpenSSL runs have it.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "sealing/seal.h"

namespace {

constexpr std::size_t kPayloadSize = std::size_t{64} << 20;
constexpr const char* kPassword = "benchmark";

const std::vector<std::uint8_t>& Payload() {
  static const std::vector<std::uint8_t> payload = [] {
    std::vector<std::uint8_t> bytes(kPayloadSize);
    std::mt19937 rng(7);
    for (auto& b : bytes)
      b = static_cast<std::uint8_t>(rng());
    return bytes;
  }();
  return payload;
}

const std::vector<std::uint8_t>& Sealed() {
  static const std::vector<std::uint8_t> sealed = sealing::seal(Payload(), kPassword);
  return sealed;
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kPayloadSize));
}

void Seal(benchmark::State& state, unsigned threads) {
  for (auto _ : state) {
    auto sealed = sealing::seal(Payload(), kPassword, 1, threads);
    benchmark::DoNotOptimize(sealed.data());
  }
  SetBytes(state);
}

void Unseal(benchmark::State& state, unsigned threads) {
  for (auto _ : state) {
    auto payload = sealing::unseal(Sealed(), kPassword, 1, threads);
    benchmark::DoNotOptimize(payload.data());
  }
  SetBytes(state);
}

// Allocating and filling a fresh 64 MiB buffer, the share of seal and unseal that is not the
// cipher (first touch of new pages is slow in some virtual machines).
void FreshBuffer(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::uint8_t> buffer(kPayloadSize);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}

// The block path alone on a buffer allocated beforehand, as the OpenSSL runs have it.
void Blocks(benchmark::State& state, unsigned threads) {
  const sealing::BlockTransformer transformer(kPassword, sealing::des::Direction::kEncipher,
                                              threads);
  std::vector<std::uint8_t> buffer = Payload();
  for (auto _ : state) {
    transformer.Transform(buffer);
    benchmark::DoNotOptimize(buffer.data());
  }
  SetBytes(state);
}

void OpenSslEvp(benchmark::State& state, int encrypt) {
  const unsigned char key[8] = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
  EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "DES-ECB", nullptr);
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  if (cipher == nullptr || ctx == nullptr ||
      EVP_CipherInit_ex2(ctx, cipher, key, nullptr, encrypt, nullptr) != 1) {
    state.SkipWithError("OpenSSL DES-ECB unavailable (legacy provider not loaded)");
  } else {
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    std::vector<std::uint8_t> out(kPayloadSize);
    for (auto _ : state) {
      int outLength = 0;
      EVP_CipherUpdate(ctx, out.data(), &outLength, Payload().data(),
                       static_cast<int>(kPayloadSize));
      benchmark::DoNotOptimize(out.data());
    }
    SetBytes(state);
  }
  EVP_CIPHER_CTX_free(ctx);
  EVP_CIPHER_free(cipher);
}

void OpenSslLowLevel(benchmark::State& state) {
  DES_cblock key = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
  DES_key_schedule schedule;
  DES_set_key_unchecked(&key, &schedule);
  std::vector<std::uint8_t> out(kPayloadSize);
  for (auto _ : state) {
    for (std::size_t i = 0; i < kPayloadSize; i += 8) {
      DES_ecb_encrypt(
          reinterpret_cast<const_DES_cblock*>(const_cast<std::uint8_t*>(Payload().data() + i)),
          reinterpret_cast<DES_cblock*>(out.data() + i), &schedule, DES_ENCRYPT);
    }
    benchmark::DoNotOptimize(out.data());
  }
  SetBytes(state);
}

// Keeps each benchmark's median throughput for the ratio lines: the median aggregate when
// repetitions are asked for, else the median of the runs.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      const auto it = run.counters.find("bytes_per_second");
      if (run.error_occurred || it == run.counters.end())
        continue;
      const std::string& name = run.run_name.function_name;
      if (run.run_type == Run::RT_Iteration) {
        samples_[name].push_back(it->second.value);
      } else if (run.aggregate_name == "median") {
        medians_[name] = it->second.value;
      }
    }
  }

  double Median(const std::string& name) const {
    if (const auto it = medians_.find(name); it != medians_.end())
      return it->second;
    const auto it = samples_.find(name);
    if (it == samples_.end())
      return 0;
    auto values = it->second;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
  }

 private:
  std::map<std::string, std::vector<double>> samples_;
  std::map<std::string, double> medians_;
};

void PrintRatio(const RatioReporter& reporter,
                const char* ours,
                const char* reference,
                double target) {
  const double a = reporter.Median(ours);
  const double b = reporter.Median(reference);
  if (a <= 0 || b <= 0)
    return;
  std::printf("ratio %-16s / %-18s %5.2fx  (%7.1f vs %6.1f MB/s, target %.1fx) %s\n", ours,
              reference, a / b, a / 1e6, b / 1e6, target, a / b >= target ? "met" : "NOT MET");
}

}  // namespace

int main(int argc, char** argv) {
  OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
  OSSL_PROVIDER* base = OSSL_PROVIDER_load(nullptr, "default");
  Payload();
  Sealed();

  benchmark::RegisterBenchmark("openssl_evp_enc", OpenSslEvp, 1)->UseRealTime();
  benchmark::RegisterBenchmark("openssl_evp_dec", OpenSslEvp, 0)->UseRealTime();
  benchmark::RegisterBenchmark("openssl_des_ecb", OpenSslLowLevel)->UseRealTime();
  benchmark::RegisterBenchmark("seal_one_core", Seal, 1u)->UseRealTime();
  benchmark::RegisterBenchmark("unseal_one_core", Unseal, 1u)->UseRealTime();
  benchmark::RegisterBenchmark("fresh_buffer", FreshBuffer)->UseRealTime();
  benchmark::RegisterBenchmark("blocks_one_core", Blocks, 1u)->UseRealTime();
  benchmark::RegisterBenchmark("blocks_all_cores", Blocks, sealing::kAllCores)->UseRealTime();
  benchmark::RegisterBenchmark("seal_all_cores", Seal, sealing::kAllCores)->UseRealTime();
  benchmark::RegisterBenchmark("unseal_all_cores", Unseal, sealing::kAllCores)->UseRealTime();

  // Repetitions in random order, so a change in the machine's load hits every benchmark alike;
  // flags given on the command line come later and win.
  std::vector<char*> args = {argv[0]};
  std::string defaults[] = {"--benchmark_repetitions=5",
                            "--benchmark_enable_random_interleaving=true",
                            "--benchmark_report_aggregates_only=true"};
  for (auto& flag : defaults)
    args.push_back(flag.data());
  args.insert(args.end(), argv + 1, argv + argc);
  int argCount = static_cast<int>(args.size());
  benchmark::Initialize(&argCount, args.data());
  if (benchmark::ReportUnrecognizedArguments(argCount, args.data()))
    return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\n64 MiB payload; reference: OpenSSL %s EVP des-ecb (legacy provider), one core\n",
              OpenSSL_version(OPENSSL_VERSION_STRING));
  if (const double rate = reporter.Median("fresh_buffer"); rate > 0) {
    std::printf("a fresh 64 MiB buffer costs %.0f ms of each seal and unseal\n",
                static_cast<double>(kPayloadSize) / rate * 1e3);
  }
  PrintRatio(reporter, "seal_one_core", "openssl_evp_enc", 2.0);
  PrintRatio(reporter, "unseal_one_core", "openssl_evp_dec", 2.0);
  PrintRatio(reporter, "seal_all_cores", "openssl_evp_enc", 3.5);
  PrintRatio(reporter, "unseal_all_cores", "openssl_evp_dec", 3.5);
  PrintRatio(reporter, "blocks_one_core", "openssl_evp_enc", 2.0);
  PrintRatio(reporter, "blocks_all_cores", "openssl_evp_enc", 3.5);
  PrintRatio(reporter, "seal_one_core", "openssl_des_ecb", 2.0);

  OSSL_PROVIDER_unload(base);
  OSSL_PROVIDER_unload(legacy);
  return 0;
}
