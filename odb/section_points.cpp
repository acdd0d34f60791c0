// Section points of an element class: positions through the thickness of layered solids and
// shells (scaled to -0.5 .. 0.5), around and through elbows, and the points of beam profiles.
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
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

// The section being read, the room for what it hands out, and the points made so far.
struct Reader {
  const void* slots;
  Int length;
  SectionRoom room;
  SectionPoints p;
  bool outOfRoom = false;

  bool has(long long k) const { return k >= 1 && k <= length; }
  Int i(long long k) const { return rec::slotI(slots, k); }
  double r(long long k) const { return rec::slotR(slots, k); }

  bool failed() {
    report(-3, "SYSTEM ERROR IN GETPOSITION");
    p = SectionPoints{};
    return false;
  }
  // True when points positions (first and second coordinates) and counts running totals fit the
  // room; checked in 64 bits before anything is sized by a count the record holds.
  bool fits(long long points, long long counts) {
    if (points <= room.positions / 2 && counts <= room.counts) return true;
    zmx::units::reportMemoryFailure();
    p = SectionPoints{};
    outOfRoom = true;
    return false;
  }
  // Takes the number of points the record gives (none when it is negative), once it fits.
  bool declare(long long points) {
    points = std::max(points, 0LL);
    if (!fits(points, 0)) return false;
    p.points = static_cast<Int>(points);
    return true;
  }

  // Positions of layers through the scaled thickness: rule 1 spreads each layer's points evenly
  // from its start to its end (one point: its middle); rule 2 puts them at the layer's Gauss points.
  bool layerPositions(const std::vector<Layer>& layers, int rule) {
    double total = 0.0;
    long long made = 0;
    for (const Layer& l : layers) {
      total += l.thickness;
      made += l.points;
    }
    if (!(total >= kThinnest)) {
      p.points = 0;
      return true;
    }
    for (const Layer& l : layers)
      if (l.points < 1 || (rule == 2 && l.points > kMostGaussPoints)) return failed();
    if (!fits(made, static_cast<long long>(layers.size()))) return false;
    p.first.reserve(static_cast<std::size_t>(made));
    double start = -0.5;
    Int running = 0;
    for (std::size_t k = 0; k < layers.size(); ++k) {
      const Int c = layers[k].points;
      const double h = layers[k].thickness / total;
      const bool last = k + 1 == layers.size();
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

  bool layeredSolid() {
    if (!has(8)) return failed();
    const Int layers = i(7);
    if (layers < 0 || !has(10 + 4LL * (layers - 1))) return failed();
    if (!declare(i(8))) return false;
    p.layered = 1;
    p.severalLayers = 1;
    std::vector<Layer> list;
    for (Int k = 1; k <= layers; ++k) list.push_back({i(10 + 4LL * (k - 1)), r(9 + 4LL * (k - 1))});
    return layerPositions(list, 1);
  }

  bool elbow() {
    if (!has(21)) return failed();
    const Int around = i(21), through = i(3);
    if (around < 0 || through < 0) return failed();
    if (!declare(static_cast<long long>(around) * through)) return false;
    p.twoCoordinates = 1;
    p.profileCode = 2;
    const double t = r(14), middle = r(17);
    p.first.reserve(static_cast<std::size_t>(p.points));
    p.second.reserve(static_cast<std::size_t>(p.points));
    for (Int j = 0; j < around; ++j) {
      const double angle = 2.0 * std::numbers::pi * j / around;
      for (Int k = 0; k < through; ++k) {
        const double radius = through == 1 ? middle : middle - 0.5 * t + t * k / (through - 1);
        p.first.push_back(static_cast<float>(radius * std::cos(angle)));
        p.second.push_back(static_cast<float>(radius * std::sin(angle)));
      }
    }
    return true;
  }

  bool beam() {
    if (!has(16)) return failed();
    const Int profile = i(4);
    long long base = 0, stride = 0, points = 0;
    if (profile < 101) {
      points = i(5);
      p.profileCode = profile >= 1 && profile <= 13 ? kProfileCodes[static_cast<std::size_t>(profile - 1)] : 0;
      base = static_cast<long long>(i(7)) + i(6) + 5;
      stride = 11;
    } else {
      if (!has(19)) return failed();
      points = i(19);
      p.profileCode = 10;
      base = i(18);
      stride = 2;
    }
    p.twoCoordinates = i(16);
    if (p.profileCode == 0) return true;
    if (points < 0 || (points > 0 && !(has(base) && has(base + stride * (points - 1) + 1)))) return failed();
    if (!declare(points)) return false;
    for (Int k = 0; k < p.points; ++k) {
      const long long at = base + stride * k;
      p.first.push_back(static_cast<float>(p.twoCoordinates != 0 ? r(at) : r(at + 1)));
      p.second.push_back(static_cast<float>(p.twoCoordinates != 0 ? r(at + 1) : 0.0));
    }
    return true;
  }

  bool shell() {
    if (!has(18)) return failed();
    p.layered = 1;
    std::vector<Layer> list;
    int rule = 1;
    if (i(3) != 0) {
      const Int layers = i(11);
      const long long first = static_cast<long long>(i(10)) + 1;
      if (layers < 0 || (layers > 0 && !(has(first - 1) && has(first + 4LL * (layers - 1))))) return failed();
      if (!declare(i(3))) return false;
      rule = i(18);
      for (Int k = 1; k <= layers; ++k) list.push_back({i(first + 4LL * (k - 1) - 1), r(first + 4LL * (k - 1))});
    } else if (i(12) != 0) {
      const Int layers = i(12);
      const long long first = i(13);
      if (layers < 0 || !(has(first) && has(first + 3LL * (layers - 1)))) return failed();
      if (!declare(3LL * layers)) return false;
      for (Int k = 1; k <= layers; ++k) list.push_back({3, r(first + 3LL * (k - 1))});
    } else {
      return true;
    }
    p.severalLayers = list.size() > 1 ? 1 : 0;
    return layerPositions(list, rule == 2 ? 2 : 1);
  }
};

}  // namespace

std::optional<SectionPoints> sectionPoints(const void* slots, Int length, Int address, Int typeCode,
                                           const SectionRoom& room) {
  Reader s{slots, length, {std::max(room.positions, 0LL), std::max(room.counts, 0LL)}, {}};
  bool made = true;
  if (inRange(address, 2, 30)) {
    if (s.has(3) && s.i(3) == -1) made = s.layeredSolid();
  } else if (inRange(address, 3, 36)) {
    made = typeCode >= 2201 && typeCode <= 2302 ? s.elbow() : s.beam();
  } else if (inRange(address, 4, 5)) {
    made = s.shell();
  } else if (inRange(address, 45, 12) && (made = s.declare(1))) {
    s.p.counts = {1};
    s.p.first = {0.0f};
  }
  if (s.outOfRoom) return std::nullopt;
  // Exactly points values of each coordinate; the second coordinates default to 0.
  if (made) {
    s.p.first.resize(static_cast<std::size_t>(s.p.points), 0.0f);
    s.p.second.resize(static_cast<std::size_t>(s.p.points), 0.0f);
  }
  return std::move(s.p);
}

SectionRoom layoutSectionRoom() {
  const long long counts = 2LL * std::max<Int>(rec::i(CGM, kCgmPositionOffset), 0);
  return {2 * counts, counts};
}

}  // namespace zmx::odb

extern "C" void GETPOSITION(const Real* /*sectionReals*/, const void* sectionSlots, Int* points,
                            const Int* sectionAddress, const Int* typeCode, Int* layered, Int* severalLayers,
                            Int* profileCode, Int* twoCoordinates, float* positions, Int* counts) {
  using namespace zmx::odb;
  SectionPoints p;
  guarded([&] {
    p = sectionPoints(sectionSlots, rec::slotI(sectionSlots, 1), *sectionAddress, *typeCode, layoutSectionRoom())
            .value_or(SectionPoints{});
  });
  *points = p.points;
  *layered = p.layered;
  *severalLayers = p.severalLayers;
  *profileCode = p.profileCode;
  *twoCoordinates = p.twoCoordinates;
  std::copy(p.first.begin(), p.first.end(), positions);
  std::copy(p.second.begin(), p.second.end(), positions + p.points);
  std::copy(p.counts.begin(), p.counts.end(), counts);
}
