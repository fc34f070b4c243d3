#pragma once

// The signature of a configuration report: a keyless check string over its contents that tells
// edited or damaged reports from intact ones.

#include <string>

namespace corvinax {

class ProfileDocument;

// 32 characters of 0-9 and A-Z in eight groups of four joined by "-". The report is read through
// the Windows name-list limits, as the agents that sign reports read it.
std::string CalcSignature(const ProfileDocument& report);

}  // namespace corvinax
