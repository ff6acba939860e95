#pragma once
// ICC profiles made byte by byte (matrix and curves, or grey), and JPEGs that carry them.
#include <cmath>
#include <string>
#include <vector>

#include "tests/common/picture_files.h"

namespace qm::test_files {

inline Bytes be32(uint32_t value) { return be16(value >> 16) + be16(value & 0xFFFF); }
inline Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes s15Fixed16(double value) {
  return be32(static_cast<uint32_t>(static_cast<int32_t>(std::lround(value * 65536))));
}
inline Bytes xyzTag(double x, double y, double z) {
  return text("XYZ ") + be32(0) + s15Fixed16(x) + s15Fixed16(y) + s15Fixed16(z);
}
inline Bytes gammaCurve(double gamma) {
  return text("curv") + be32(0) + be32(1) + be16(static_cast<uint16_t>(std::lround(gamma * 256)));
}
inline Bytes tableCurve(const std::vector<uint16_t>& table) {
  Bytes out = text("curv") + be32(0) + be32(static_cast<uint32_t>(table.size()));
  for (uint16_t entry : table) out = out + be16(entry);
  return out;
}
// Parameters g, a, b, c, d, e, f as many as the kind (0 to 4) takes.
inline Bytes paraCurve(uint16_t kind, const std::vector<double>& parameters) {
  Bytes out = text("para") + be32(0) + be16(kind) + be16(0);
  for (double p : parameters) out = out + s15Fixed16(p);
  return out;
}

struct IccTag {
  std::string signature;
  Bytes data;
};
// A profile of a device class 'mntr' in space ("RGB " or "GRAY"), connection space XYZ unless
// given, with its tags' data in their order, each on 4 bytes.
inline Bytes iccProfile(const std::string& space, const std::vector<IccTag>& tags,
                        uint8_t version = 4, const std::string& connection = "XYZ ") {
  Bytes table = be32(static_cast<uint32_t>(tags.size())), data;
  const size_t start = 128 + 4 + 12 * tags.size();
  for (const IccTag& tag : tags) {
    table = table + text(tag.signature) + be32(static_cast<uint32_t>(start + data.size())) +
            be32(static_cast<uint32_t>(tag.data.size()));
    data = data + tag.data;
    data.resize((data.size() + 3) / 4 * 4, 0);
  }
  Bytes header = be32(static_cast<uint32_t>(start + data.size())) + text("none") +
                 Bytes{version, 0x20, 0, 0} + text("mntr") + text(space) + text(connection) +
                 Bytes(12, 0) + text("acsp");
  header.resize(128, 0);
  return header + table + data;
}
struct Xyz {
  double x, y, z;
};
inline Bytes matrixProfile(Xyz r, Xyz g, Xyz b, const Bytes& red, const Bytes& green,
                           const Bytes& blue, uint8_t version = 4) {
  return iccProfile("RGB ",
                    {{"rXYZ", xyzTag(r.x, r.y, r.z)},
                     {"gXYZ", xyzTag(g.x, g.y, g.z)},
                     {"bXYZ", xyzTag(b.x, b.y, b.z)},
                     {"rTRC", red},
                     {"gTRC", green},
                     {"bTRC", blue}},
                    version);
}
// Display P3: P3's colourants under D65 adapted to D50, and sRGB's curve.
inline Bytes displayP3() {
  const Bytes curve = paraCurve(3, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045});
  return matrixProfile({0.515121, 0.241180, -0.001053}, {0.291977, 0.692245, 0.041885},
                       {0.157104, 0.066574, 0.784073}, curve, curve, curve);
}

// An APP2 "ICC_PROFILE" chunk: its number of count, and its piece of the profile.
inline Bytes iccChunk(uint8_t number, uint8_t count, const Bytes& piece) {
  return jpegSegment(0xE2, text("ICC_PROFILE") + Bytes{0, number, count} + piece);
}
// The profile cut into count chunks in their order, at most 65519 bytes each as in files.
inline std::vector<Bytes> iccChunks(const Bytes& profile, size_t count) {
  std::vector<Bytes> chunks;
  const size_t piece = (profile.size() + count - 1) / count;
  for (size_t i = 0; i < count; ++i) {
    const size_t from = std::min(profile.size(), i * piece);
    const size_t to = std::min(profile.size(), from + piece);
    chunks.push_back(iccChunk(
        static_cast<uint8_t>(i + 1), static_cast<uint8_t>(count),
        Bytes(profile.begin() + std::ptrdiff_t(from), profile.begin() + std::ptrdiff_t(to))));
  }
  return chunks;
}
// jpeg with segments inserted right after its start marker.
inline Bytes withSegments(Bytes jpeg, const Bytes& segments) {
  jpeg.insert(jpeg.begin() + 2, segments.begin(), segments.end());
  return jpeg;
}

}  // namespace qm::test_files
