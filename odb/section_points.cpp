// Section points of an element class: positions through the thickness of layered solids and
// shells (scaled to -0.5 .. 0.5), around and through elbows, and the points of beam profiles.
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "odb/writer_tables.h"

namespace zmx::odb {

namespace {

constexpr double kThinnest = 2.22e-16;
constexpr int kMostGaussPoints = 7;

// Gauss-Legendre abscissae on [-1, 1], ascending, by order 1 to 7.
constexpr std::array<std::array<double, kMostGaussPoints>, kMostGaussPoints> kGauss = {{
    {0.0},
    {-0.57735026918962576, 0.57735026918962576},
    {-0.77459666924148338, 0.0, 0.77459666924148338},
    {-0.86113631159405258, -0.33998104358485626, 0.33998104358485626, 0.86113631159405258},
    {-0.90617984593866399, -0.53846931010568309, 0.0, 0.53846931010568309, 0.90617984593866399},
    {-0.93246951420315203, -0.66120938646626451, -0.23861918608319691, 0.23861918608319691, 0.66120938646626451,
     0.93246951420315203},
    {-0.94910791234275852, -0.74153118559939444, -0.40584515137739717, 0.0, 0.40584515137739717,
     0.74153118559939444, 0.94910791234275852},
}};

// Beam profile codes by profile number 1 to 13.
constexpr std::array<Int, 13> kProfileCodes = {10, 2, 3, 1, 7, 5, 4, 0, 0, 6, 8, 9, 10};

struct Layer {
  Int points;
  double thickness;
};

bool failed(SectionPoints& p) {
  report(-3, "SYSTEM ERROR IN GETPOSITION");
  p = SectionPoints{};
  return false;
}

// Positions of layers through the scaled thickness: rule 1 spreads each layer's points evenly
// from its start to its end (one point: its middle); rule 2 puts them at the layer's Gauss points.
bool layerPositions(const std::vector<Layer>& layers, int rule, SectionPoints& p) {
  double total = 0.0;
  for (const Layer& l : layers) total += l.thickness;
  if (!(total >= kThinnest)) {
    p.points = 0;
    return true;
  }
  double start = -0.5;
  Int running = 0;
  for (std::size_t k = 0; k < layers.size(); ++k) {
    const Int c = layers[k].points;
    const double h = layers[k].thickness / total;
    const bool last = k + 1 == layers.size();
    if (c < 1 || (rule == 2 && c > kMostGaussPoints)) return failed(p);
    for (Int j = 0; j < c; ++j) {
      double z;
      if (rule == 2)
        z = start + 0.5 * h * (1.0 + kGauss[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(j)]);
      else if (c == 1)
        z = start + 0.5 * h;
      else
        z = (last && j == c - 1) ? 0.5 : start + h * j / (c - 1);
      p.first.push_back(static_cast<float>(z));
    }
    running += c;
    p.counts.push_back(running);
    start += h;
  }
  return true;
}

// Reads slot k of the section when it lies in the record.
struct Section {
  const void* slots;
  Int length;
  bool has(long long k) const { return k >= 1 && k <= length; }
  Int i(long long k) const { return rec::slotI(slots, k); }
  double r(long long k) const { return rec::slotR(slots, k); }
};

bool layeredSolid(const Section& s, SectionPoints& p) {
  if (!s.has(8)) return failed(p);
  const Int layers = s.i(7);
  p.points = s.i(8);
  p.layered = 1;
  p.severalLayers = 1;
  if (layers < 0 || !s.has(10 + 4LL * (layers - 1))) return failed(p);
  std::vector<Layer> list;
  for (Int k = 1; k <= layers; ++k) list.push_back({s.i(10 + 4LL * (k - 1)), s.r(9 + 4LL * (k - 1))});
  return layerPositions(list, 1, p);
}

bool elbow(const Section& s, SectionPoints& p) {
  if (!s.has(21)) return failed(p);
  const Int around = s.i(21), through = s.i(3);
  if (around < 0 || through < 0) return failed(p);
  p.points = around * through;
  p.twoCoordinates = 1;
  p.profileCode = 2;
  const double t = s.r(14), middle = s.r(17);
  for (Int j = 0; j < around; ++j) {
    const double angle = 2.0 * std::numbers::pi * j / around;
    for (Int i = 0; i < through; ++i) {
      const double r = through == 1 ? middle : middle - 0.5 * t + t * i / (through - 1);
      p.first.push_back(static_cast<float>(r * std::cos(angle)));
      p.second.push_back(static_cast<float>(r * std::sin(angle)));
    }
  }
  return true;
}

bool beam(const Section& s, SectionPoints& p) {
  if (!s.has(16)) return failed(p);
  const Int profile = s.i(4);
  long long base = 0, stride = 0;
  if (profile < 101) {
    p.points = s.i(5);
    p.profileCode = profile >= 1 && profile <= 13 ? kProfileCodes[static_cast<std::size_t>(profile - 1)] : 0;
    base = static_cast<long long>(s.i(7)) + s.i(6) + 5;
    stride = 11;
  } else {
    if (!s.has(19)) return failed(p);
    p.points = s.i(19);
    p.profileCode = 10;
    base = s.i(18);
    stride = 2;
  }
  if (p.profileCode == 0) {
    p.points = 0;
    return true;
  }
  p.twoCoordinates = s.i(16);
  if (p.points < 0 || (p.points > 0 && !(s.has(base) && s.has(base + stride * (p.points - 1) + 1)))) return failed(p);
  for (Int k = 0; k < p.points; ++k) {
    const long long at = base + stride * k;
    p.first.push_back(static_cast<float>(p.twoCoordinates != 0 ? s.r(at) : s.r(at + 1)));
    p.second.push_back(static_cast<float>(p.twoCoordinates != 0 ? s.r(at + 1) : 0.0));
  }
  return true;
}

bool shell(const Section& s, SectionPoints& p) {
  if (!s.has(18)) return failed(p);
  p.layered = 1;
  std::vector<Layer> list;
  int rule = 1;
  if (s.i(3) != 0) {
    p.points = s.i(3);
    const Int layers = s.i(11);
    rule = s.i(18);
    const long long first = static_cast<long long>(s.i(10)) + 1;
    if (layers < 0 || (layers > 0 && !(s.has(first - 1) && s.has(first + 4LL * (layers - 1))))) return failed(p);
    for (Int k = 1; k <= layers; ++k)
      list.push_back({s.i(first + 4LL * (k - 1) - 1), s.r(first + 4LL * (k - 1))});
  } else if (s.i(12) != 0) {
    const Int layers = s.i(12);
    p.points = 3 * layers;
    const long long first = s.i(13);
    if (layers < 0 || !(s.has(first) && s.has(first + 3LL * (layers - 1)))) return failed(p);
    for (Int k = 1; k <= layers; ++k) list.push_back({3, s.r(first + 3LL * (k - 1))});
  } else {
    return true;
  }
  p.severalLayers = list.size() > 1 ? 1 : 0;
  return layerPositions(list, rule == 2 ? 2 : 1, p);
}

}  // namespace

SectionPoints sectionPoints(const void* slots, Int length, Int address, Int typeCode) {
  SectionPoints p;
  const Section s{slots, length};
  if (inRange(address, 2, 30)) {
    if (s.has(3) && s.i(3) == -1) layeredSolid(s, p);
  } else if (inRange(address, 3, 36)) {
    if (typeCode >= 2201 && typeCode <= 2302)
      elbow(s, p);
    else
      beam(s, p);
  } else if (inRange(address, 4, 5)) {
    shell(s, p);
  } else if (inRange(address, 45, 12)) {
    p.points = 1;
    p.counts = {1};
    p.first = {0.0f};
  }
  // Exactly points values of each coordinate; the second coordinates default to 0.
  p.points = std::max<Int>(p.points, 0);
  p.first.resize(static_cast<std::size_t>(p.points), 0.0f);
  p.second.resize(static_cast<std::size_t>(p.points), 0.0f);
  return p;
}

}  // namespace zmx::odb

extern "C" void GETPOSITION(const Real* /*sectionReals*/, const void* sectionSlots, Int* points,
                            const Int* sectionAddress, const Int* typeCode, Int* layered, Int* severalLayers,
                            Int* profileCode, Int* twoCoordinates, float* positions, Int* counts) {
  const zmx::odb::SectionPoints p =
      zmx::odb::sectionPoints(sectionSlots, rec::slotI(sectionSlots, 1), *sectionAddress, *typeCode);
  *points = p.points;
  *layered = p.layered;
  *severalLayers = p.severalLayers;
  *profileCode = p.profileCode;
  *twoCoordinates = p.twoCoordinates;
  std::copy(p.first.begin(), p.first.end(), positions);
  std::copy(p.second.begin(), p.second.end(), positions + p.points);
  std::copy(p.counts.begin(), p.counts.end(), counts);
}
