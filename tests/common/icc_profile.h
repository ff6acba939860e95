#pragma once
// ICC profiles made byte by byte (matrix and curves, or grey), and JPEGs that carry them.
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "tests/common/picture_files.h"

namespace qm::test_files {

inline Bytes be32(uint64_t value) { return be16(value >> 16) + be16(value & 0xFFFF); }
inline Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes s15Fixed16(double value) {
  return be32(static_cast<uint32_t>(static_cast<int32_t>(std::lround(value * 65536))));
}
// A 'curv' tag: no entries is the identity, one a gamma in 8.8 fixed point, more a table.
inline Bytes curv(const std::vector<uint16_t>& table) {
  Bytes out = text("curv") + be32(0) + be32(table.size());
  for (uint16_t entry : table) out = out + be16(entry);
  return out;
}
// A 'para' tag: parameters g, a, b, c, d, e, f, as many as the kind (0 to 4) takes.
inline Bytes para(uint16_t kind, const std::vector<double>& parameters) {
  Bytes out = text("para") + be32(0) + be16(kind) + be16(0);
  for (double p : parameters) out = out + s15Fixed16(p);
  return out;
}
inline const Bytes kSrgbCurve = para(3, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045});

struct IccTag {
  std::string signature;
  Bytes data;
};
// A profile of a device class 'mntr' in space ("RGB " or "GRAY"), connection space XYZ, with
// its tags' data in their order, each on 4 bytes.
inline Bytes iccProfile(const std::string& space, const std::vector<IccTag>& tags,
                        uint8_t version = 4) {
  Bytes table = be32(tags.size()), data;
  const size_t start = 128 + 4 + 12 * tags.size();
  for (const IccTag& tag : tags) {
    table = table + text(tag.signature) + be32(start + data.size()) + be32(tag.data.size());
    data = data + tag.data;
    data.resize((data.size() + 3) / 4 * 4, 0);
  }
  Bytes header = be32(start + data.size()) + text("none") + Bytes{version, 0x20, 0, 0} +
                 text("mntr") + text(space) + text("XYZ ") + Bytes(12, 0) + text("acsp");
  header.resize(128, 0);
  return header + table + data;
}

// The colourants of red, green and blue, each as D50 XYZ.
using Colourants = std::array<double, 9>;
inline const Colourants kSrgbColourants = {0.4358587, 0.2223801, 0.0139231, 0.3853236, 0.7170343,
                                           0.0971334, 0.1430177, 0.0605856, 0.7138436};
// Display P3's: P3's colourants under D65 adapted to D50.
inline const Colourants kP3Colourants = {0.515121, 0.241180, -0.001053, 0.291977, 0.692245,
                                         0.041885, 0.157104, 0.066574,  0.784073};
inline Bytes xyzTag(const double* xyz) {
  return text("XYZ ") + be32(0) + s15Fixed16(xyz[0]) + s15Fixed16(xyz[1]) + s15Fixed16(xyz[2]);
}
// A matrix/TRC profile's tags: rXYZ, gXYZ, bXYZ, then the curves of red, green and blue (one
// given: the same for all three).
inline std::vector<IccTag> matrixTags(const Colourants& xyz, const std::vector<Bytes>& curves) {
  std::vector<IccTag> tags;
  for (size_t i = 0; i < 3; ++i)
    tags.push_back({std::string(1, "rgb"[i]) + "XYZ", xyzTag(&xyz[3 * i])});
  for (size_t i = 0; i < 3; ++i)
    tags.push_back({std::string(1, "rgb"[i]) + "TRC", curves[curves.size() == 1 ? 0 : i]});
  return tags;
}
inline Bytes matrixProfile(const Colourants& xyz, const std::vector<Bytes>& curves,
                           uint8_t version = 4) {
  return iccProfile("RGB ", matrixTags(xyz, curves), version);
}
inline Bytes displayP3() { return matrixProfile(kP3Colourants, {kSrgbCurve}); }

// An APP2 "ICC_PROFILE" chunk: its number of count, and its piece of the profile.
inline Bytes iccChunk(uint8_t number, uint8_t count, const Bytes& piece) {
  return jpegSegment(0xE2, text("ICC_PROFILE") + Bytes{0, number, count} + piece);
}
// The profile cut into count chunks in their order, at most 65519 bytes each as in files.
inline std::vector<Bytes> iccChunks(const Bytes& profile, size_t count) {
  std::vector<Bytes> chunks;
  const auto piece = std::ptrdiff_t((profile.size() + count - 1) / count);
  for (auto from = profile.begin(), to = from; chunks.size() < count; from = to) {
    to = from + std::min(piece, profile.end() - from);
    chunks.push_back(iccChunk(uint8_t(chunks.size() + 1), uint8_t(count), Bytes(from, to)));
  }
  return chunks;
}
// jpeg with segments inserted right after its start marker, in their order.
inline Bytes withSegments(Bytes jpeg, const std::vector<Bytes>& segments) {
  for (auto s = segments.rbegin(); s != segments.rend(); ++s)
    jpeg.insert(jpeg.begin() + 2, s->begin(), s->end());
  return jpeg;
}

}  // namespace qm::test_files
