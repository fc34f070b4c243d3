#pragma once

#include <cstddef>
#include <vector>

namespace corvinax::bench {

// corvinax-bench --smb N ...: networks of N reports on a share of a Samba server of this machine
// (the tests' server: needs root and smbd), read as UNC check directories straight and through a
// relay that makes the round trip about 2 ms, beside a plain one-at-a-time reading of the same
// files through the same link. Each figure is the best of `runs` runs.
int smbBench(const std::vector<std::size_t>& sizes, int runs);

}  // namespace corvinax::bench
