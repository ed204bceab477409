// A seam for tests of full disks: writes to files below a directory fail with
// an errno of the test's choice once the files there have taken a number of
// bytes in all, as on a disk that fills up. Process-wide; cleared by
// ClearSimulatedFullDisk. Only the file streams consult it.
#pragma once

#include <cerrno>
#include <cstdint>
#include <string>

namespace vorlin {

void SimulateFullDisk(const std::string& directory, int64_t allowedBytes, int error = ENOSPC);
void ClearSimulatedFullDisk();

// For the file layer: how many of count bytes may be written to path now
// (count itself when no simulation covers it); error is set when fewer.
int64_t SimulatedRoom(const std::string& path, int64_t count, int& error);

} // namespace vorlin
