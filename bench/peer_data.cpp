// Writes the random band data of the benchmarks for bench/peers.sh: the bands as text (one line
// per individual, one character 0, 1 or 9 per locus) and the Jaccard distances (1 - s, Standard
// treatment, complete data) as a full square of little-endian doubles.
#include <cstdio>
#include <fstream>
#include <string>

#include "bench_data.h"

namespace {

bool WriteBands(const std::string& path, const BenchBands& b) {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < b.n; ++i) {
        std::string line(b.loci, '0');
        for (std::size_t l = 0; l < b.loci; ++l) line[l] = static_cast<char>('0' + b.cells[i * b.loci + l]);
        out << line << '\n';
    }
    return static_cast<bool>(out);
}

bool WriteDistances(const std::string& path, const PackedMatrix& d, std::size_t n) {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= n; ++j) {
            const double v = i == j ? 0.0 : static_cast<double>(d[PairIndex(i, j)]);
            out.write(reinterpret_cast<const char*>(&v), sizeof v);
        }
    }
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: peer_data FOLDER N\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::size_t n = std::stoul(argv[2]);
    const BenchBands complete = MakeBenchBands(n, kBenchLoci, 0, kBenchSeedComplete);
    const BenchBands missing = MakeBenchBands(n, kBenchLoci, 10, kBenchSeedMissing);
    const bool ok = WriteBands(dir + "/bands_complete.txt", complete) &&
                    WriteBands(dir + "/bands_missing.txt", missing) &&
                    WriteDistances(dir + "/jaccard.bin", BenchJaccardDistances(complete), n);
    if (!ok) std::fprintf(stderr, "peer_data: cannot write to %s\n", dir.c_str());
    return ok ? 0 : 1;
}
