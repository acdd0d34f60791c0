// Storage trees over random layouts, the walk order, and every manipulator against a reference
// written from the rule tables, over a layout with every storage class.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "siblings/eqc/testing.h"
#include "tests/support/sensitivity_builder.h"
#include "zmx/sensitivity.h"

namespace {

using dm2_dsa_testing::BlockPlan;
using dm2_dsa_testing::ElementPlan;
using zmxtest::dsa::block;
using zmxtest::dsa::SensitivityFixture;
using zmxtest::dsa::Var;

constexpr Int kElementIds = 62, kSectionIds = 57, kMatIds = 274;

// ---- random layouts: the tree and the walk ----

std::vector<Var> randomVars(std::mt19937& random, Int ids) {
  static constexpr Int kClasses[] = {0, 1, 3, 4, 5, 9};
  std::vector<Var> vars;
  for (Int id = 0; id < ids; ++id)
    if (random() % 4 == 0) vars.push_back({id, kClasses[random() % 6], static_cast<Int>(random() % 3), 1});
  return vars;
}

ElementPlan randomElement(std::mt19937& random) {
  ElementPlan e;
  auto mats = [&](Int n) {
    std::vector<BlockPlan> m;
    for (Int k = 0; k < n; ++k) m.push_back(block(3, randomVars(random, kMatIds), 1));
    return m;
  };
  e.block = block(0, randomVars(random, kElementIds), 1);
  for (Int s = 0, ns = static_cast<Int>(random() % 3); s < ns; ++s) {
    dm2_dsa_testing::SectPlan sect{block(1, randomVars(random, kSectionIds), 1), {}, mats(random() % 3)};
    for (Int r = 0, nr = static_cast<Int>(random() % 2); r < nr; ++r)
      sect.rebars.push_back({block(3, {}, 1), mats(1 + random() % 2)});
    e.sects.push_back(sect);
  }
  for (Int r = 0, nr = static_cast<Int>(random() % 2); r < nr; ++r) e.rebars.push_back({block(3, {}, 1), mats(2)});
  return e;
}

// Present ids of a block, ascending.
std::vector<Int> presentIds(const BlockPlan& plan, Int ids) {
  std::vector<Int> present;
  for (const auto& v : plan.variables)
    if (v.id < ids && v.points != 0) present.push_back(v.id);
  std::sort(present.begin(), present.end());
  return present;
}

void expectVar(const dsa_Var& var, const Layout& layout, const BlockPlan& plan, Int ids, Int kind) {
  const std::vector<Int> want = presentIds(plan, ids);
  ASSERT_EQ(var.count, static_cast<Int>(want.size()));
  for (Int k = 0; k < var.count; ++k) {
    EXPECT_EQ(var.ids[k], want[k]);
    EXPECT_EQ(var.classes[k], layout.Block().StorageClass(want[k]));
    const adb_dsaVars d = adb_dsaVarID(kind, want[k]);
    EXPECT_EQ(std::vector<Int>(var.descriptors[k].d, var.descriptors[k].d + 4), std::vector<Int>(d.d, d.d + 4));
  }
}

class Recorder : public dsa_DataManip {
 public:
  explicit Recorder(ElementLayout* e) : dsa_DataManip(e, nullptr, nullptr, 0, "RECORDER") {}
  void manip(const Layout& l, Int, Int id, const adb_dsaVars&, const VarBlock&) override { seen.emplace_back(&l, id); }
  std::vector<std::pair<const Layout*, Int>> seen;
};

class Manipulators : public SensitivityFixture {};

TEST_F(Manipulators, TreesHoldThePresentIdsAndWalksFollowTheLayout) {
  std::mt19937 random(3);
  for (int trial = 0; trial < 25; ++trial) {
    const ElementPlan plan = randomElement(random);
    ElementLayout* e = dm2_dsa_testing::buildElementLayout(plan);
    const Int word = e->Word();
    ELDSAFORMSTORAGE(&word);
    const auto* tree = static_cast<const dsa_VarStorage*>(state().varStorage);
    ASSERT_NE(tree, nullptr);
    std::vector<std::pair<const Layout*, Int>> walk;
    auto visit = [&](const Layout& l, const BlockPlan& b, Int ids) {
      for (Int id : presentIds(b, ids)) walk.emplace_back(&l, id);
    };
    // The tree's variable of the layout holds the plan's present ids; the walk visits them.
    auto held = [&](const dsa_Var& var, const Layout& l, const BlockPlan& b, Int ids, Int kind) {
      expectVar(var, l, b, ids, kind);
      visit(l, b, ids);
    };
    held(tree->var, *e, plan.block, kElementIds, 0);
    ASSERT_EQ(tree->sects.size(), plan.sects.size());
    ASSERT_EQ(tree->rebars.size(), plan.rebars.size());
    for (Int s = 1; s <= e->NumSectPoints(); ++s) {
      const auto& ss = plan.sects[static_cast<std::size_t>(s - 1)];
      const SectIntLayout& sl = *e->SectPoint(s);
      held(tree->sects[s - 1].var, sl, ss.block, kSectionIds, 1);
      for (Int r = 1; r <= sl.NumRebars(); ++r)
        for (Int m = 1; m <= sl.Rebar(r)->NumMatPoints(); ++m)
          held(tree->sects[s - 1].rebars[r - 1].mats[m - 1].var, *sl.Rebar(r)->MatPoint(m),
               ss.rebars[r - 1].mats[m - 1], kMatIds, 3);
      for (Int m = 1; m <= sl.NumMatPoints(); ++m)
        held(tree->sects[s - 1].mats[m - 1].var, *sl.MatPoint(m), ss.mats[m - 1], kMatIds, 3);
    }
    for (Int r = 1; r <= e->NumRebars(); ++r)
      for (Int m = 1; m <= e->Rebar(r)->NumMatPoints(); ++m) {
        EXPECT_EQ(tree->rebars[r - 1].count, 0);
        visit(*e->Rebar(r)->MatPoint(m), plan.rebars[r - 1].mats[m - 1], kMatIds);
      }
    Recorder recorder(e);
    recorder.doManip();
    EXPECT_EQ(recorder.seen, walk);
    // A new storage replaces the old one; deleting leaves word 2 null, twice over.
    ELDSAFORMSTORAGE(&word);
    ELDSADELSTORAGE();
    ELDSADELSTORAGE();
    EXPECT_EQ(state().varStorage, nullptr);
  }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
}

TEST_F(Manipulators, IdListWalksVisitOnlyHeldIdsOfTheKind) {
  ElementPlan plan;
  plan.block = block(0, {{4, 3, 1, 1}, {6, 0, 0, 1}}, 1);
  plan.sects = {{block(1, {{4, 1, 1, 1}}, 1), {}, {block(3, {{4, 3, 1, 1}}, 1), block(3, {}, 1)}}};
  plan.sects.push_back(plan.sects[0]);
  ElementLayout* e = dm2_dsa_testing::buildElementLayout(plan);
  const Int ids[] = {4, 6, 9};
  for (auto [kind, count] : {std::pair{0, 1}, std::pair{1, 2}, std::pair{3, 2}, std::pair{2, 0}}) {
    Recorder r(e);
    r.doManip(ids, static_cast<VarBlockTypeKey>(kind), 3);
    EXPECT_EQ(static_cast<int>(r.seen.size()), count) << kind;
  }
}

// ---- the rules, as tables, against every manipulator ----

enum Op { kAdd, kCopy, kZero, kNegDiv };
// A companion index 0 to 2, or the variable itself.
constexpr int kSelf = -1;
struct Move {
  Op op;
  int target, targetCopy;
  bool targetBlock;
  int source, sourceCopy;
  bool sourceBlock;
};

struct Settings {
  Int mode = 1;
  Int a = 0, b = 0, c = 0;
  Int c1first = 0, c1eleventh = 0, c1thirteenth = 0;
  Int direction = 0;
};

using Rules = std::function<std::vector<Move>(Int cls, Int id, const Settings&)>;

std::vector<Move> differenceStore(Int cls, Int id, const Settings& s, int& d, int& copy) {
  auto pick = [&](int dd, int cc) {
    d = dd;
    copy = cc;
    return std::vector<Move>{{kAdd, dd, cc, true, kSelf, cc, false}};
  };
  if (s.b != 0) {
    if (cls == 3 || cls == 9) return pick(2, 2);
    if (cls == 4) return pick(1, 2);
    return {};
  }
  if (s.c != 0) return cls == 1 ? pick(2, 1) : std::vector<Move>{};
  if (cls == 0 || cls == 3) return pick(2, 1);
  if (cls == 9 && id != 251) return pick(2, 2);
  if (cls == 5 && s.a != 0) return pick(1, 2);
  return {};
}

const std::map<std::string, Rules>& rules() {
  static const std::map<std::string, Rules> table = {
      {"perturb",
       [](Int cls, Int id, const Settings& s) -> std::vector<Move> {
         if (cls == 3 || (cls == 9 && id != 251)) return {{kAdd, kSelf, 0, false, s.mode == 1 ? 1 : 2, 0, true}};
         if ((cls == 4 || cls == 5) && s.c1eleventh != 0) return {{kAdd, kSelf, 0, false, 1, 0, true}};
         return {};
       }},
      {"sigin",
       [](Int cls, Int, const Settings& s) -> std::vector<Move> {
         if (cls == 4) return {{kAdd, kSelf, 0, false, 1, 0, true}};
         if (cls == 3 || cls == 9)
           return {s.mode == 1 ? Move{kAdd, kSelf, 0, false, 1, 2, true} : Move{kAdd, kSelf, 0, false, 2, 0, true}};
         return {};
       }},
      {"finitediff",
       [](Int cls, Int id, const Settings& s) {
         int d = 0, copy = 0;
         return differenceStore(cls, id, s, d, copy);
       }},
      {"initderiv",
       [](Int cls, Int id, const Settings& s) -> std::vector<Move> {
         int d = 0, copy = 0;
         if (differenceStore(cls, id, s, d, copy).empty()) return {};
         if (s.c1thirteenth == 1) {
           if (cls == 9 || (cls == 3 && s.mode == 2)) return {{kCopy, d, copy, true, d, 0, true}};
           return {{kZero, d, copy, true, d, copy, true}};
         }
         if (s.c1first == 1) return {{kNegDiv, d, copy, true, kSelf, copy, false}};
         return {{kZero, d, copy, true, d, copy, true}};
       }},
      {"zeroup",
       [](Int cls, Int, const Settings&) -> std::vector<Move> {
         if (cls == 9) return {{kZero, 2, 2, true, 2, 2, true}};
         return {};
       }},
      {"store",
       [](Int cls, Int, const Settings&) -> std::vector<Move> {
         if (cls == 3 || cls == 9) return {{kCopy, 0, 2, false, kSelf, cls == 9 ? 2 : 1, false}};
         return {};
       }},
      {"restore",
       [](Int cls, Int, const Settings&) -> std::vector<Move> {
         if (cls == 3 || cls == 9) return {{kCopy, kSelf, 0, false, 0, 0, false}};
         return {};
       }},
      {"transfer",
       [](Int cls, Int, const Settings& s) -> std::vector<Move> {
         if (cls == 3) return {{kCopy, 1, 2, true, 2, s.direction == 0 ? 1 : 2, true}};
         if (cls == 9) return {{kCopy, 1, 2, true, 2, 2, true}};
         return {};
       }},
  };
  return table;
}

// Every storage class, id 251 among the material point's variables; 3 design parameters.
constexpr Int kParameters = 3;
constexpr Int kP = 2;
const std::vector<Var> kElementVars = {{1, 0, 2, 3}, {2, 1, 1, 2}, {3, 3, 2, 2}, {4, 4, 1, 3}, {5, 5, 2, 1}, {6, 9, 3, 2}, {7, 2, 1, 1}};
const std::vector<Var> kSectVars = {{10, 1, 2, 2}, {11, 3, 1, 4}, {12, 9, 1, 1}, {13, 0, 2, 1}};
const std::vector<Var> kMatVars = {{251, 9, 1, 2}, {20, 3, 2, 3}, {21, 9, 2, 1}, {22, 4, 1, 2}, {23, 5, 1, 1}, {24, 6, 1, 1}};

ElementPlan everyClass() {
  ElementPlan plan;
  plan.block = block(0, kElementVars, kParameters, 2, 3);
  dm2_dsa_testing::SectPlan sect{block(1, kSectVars, kParameters, 1, 1), {}, {block(3, kMatVars, kParameters, 3, 0)}};
  sect.rebars.push_back({block(3, {}, kParameters), {block(3, kMatVars, kParameters, 1, 2)}});
  plan.sects = {sect};
  plan.rebars.push_back({block(3, {}, kParameters), {block(3, kMatVars, kParameters)}});
  return plan;
}

std::vector<const Layout*> layoutsOf(const ElementLayout* e) {
  std::vector<const Layout*> all{e};
  for (Int s = 1; s <= e->NumSectPoints(); ++s) {
    all.push_back(e->SectPoint(s));
    for (Int r = 1; r <= e->SectPoint(s)->NumRebars(); ++r) all.push_back(e->SectPoint(s)->Rebar(r)->MatPoint(1));
    all.push_back(e->SectPoint(s)->MatPoint(1));
  }
  for (Int r = 1; r <= e->NumRebars(); ++r) all.push_back(e->Rebar(r)->MatPoint(1));
  return all;
}

// All copies of all classes of the layouts, and the addressing of a variable in them.
struct Snapshot {
  std::map<std::tuple<const Layout*, Int, int>, std::vector<Real>> data;
  explicit Snapshot(const std::vector<const Layout*>& layouts) {
    for (const Layout* l : layouts)
      for (Int c = 0; c < Layout::kStorageClasses; ++c)
        for (int k = 0; k < 3; ++k) data[{l, c, k}] = dm2_dsa_testing::copyData(*l, c, k);
  }
  Real* at(const Layout* l, Int id, int copy) {
    const VarBlock::Entry* e = l->Block().Find(id);
    const Layout::Copies* c = l->ClassCopies(e->storageClass);
    return data[{l, e->storageClass, copy}].data() + (c->baseIndex + e->position) * c->stride;
  }
};

void randomFill(const std::vector<const Layout*>& layouts, std::mt19937& random) {
  for (const Layout* l : layouts)
    for (Int c = 0; c < Layout::kStorageClasses; ++c)
      for (int k = 0; k < 3; ++k)
        for (Real& v : dm2_dsa_testing::copyData(*l, c, k)) v = static_cast<Real>(random() % 2000) / 16 - 60;
}

// An element of the one block with its storage formed; `setUp` runs before the layout is built
// (to change the variable ids the block registered).
ElementLayout* formedElement(const dm2_dsa_testing::BlockPlan& blockPlan, const std::function<void()>& setUp = {}) {
  ElementPlan plan;
  plan.block = blockPlan;
  if (setUp) setUp();
  ElementLayout* e = dm2_dsa_testing::buildElementLayout(plan);
  const Int word = e->Word();
  ELDSAFORMSTORAGE(&word);
  return e;
}

void applyReference(Snapshot& s, const std::vector<const Layout*>& layouts, const Rules& rule, const Settings& set,
                    Real factor) {
  for (const Layout* l : layouts) {
    Int kind = l->Block().DefinedIds() == kElementIds ? 0 : l->Block().DefinedIds() == kSectionIds ? 1 : 3;
    for (Int id = 0; id < l->Block().DefinedIds(); ++id) {
      const VarBlock::Entry* e = l->Block().Find(id);
      if (e == nullptr || e->points == 0) continue;
      const Int n = e->points * getglobalVarFormat(id).count;
      const adb_dsaVars d = adb_dsaVarID(kind, id);
      for (const Move& m : rule(e->storageClass, id, set)) {
        auto place = [&](int who, int copy, bool inBlock) {
          Real* p = s.at(l, who == kSelf ? id : d.d[who], copy);
          return inBlock ? p + (kP - 1) * n : p;
        };
        Real* t = place(m.target, m.targetCopy, m.targetBlock);
        const Real* src = place(m.source, m.sourceCopy, m.sourceBlock);
        std::vector<Real> from(src, src + n);
        for (Int i = 0; i < n; ++i) {
          switch (m.op) {
            case kAdd: t[i] += factor * from[i]; break;
            case kCopy: t[i] = from[i]; break;
            case kZero: t[i] = 0; break;
            case kNegDiv: t[i] = -from[i] / factor; break;
          }
        }
      }
    }
  }
}

void run(const std::string& name, Int word, const Settings& s, Real factor) {
  Int c1[13] = {};
  c1[0] = s.c1first;
  c1[10] = s.c1eleventh;
  c1[12] = s.c1thirteenth;
  Int c2[8] = {};
  c2[7] = kP;
  const Int unused = 0, flag1 = 1, flag2 = 0, element = 0;
  if (name == "perturb") ELDSAPERTURB(&word, c1, c2, &factor, &unused);
  if (name == "sigin") SIGINDSAPERTURB(&word, c1, c2, &factor, &unused);
  if (name == "finitediff") ELDSAFINITEDIFF(&word, c1, c2, &s.a, &s.b, &s.c, &factor);
  if (name == "initderiv") ELDSAINITDERIV(&word, c1, c2, &s.a, &s.b, &s.c, &factor);
  if (name == "zeroup") DSA_ZEROUPSTATE(&word, c1, c2);
  if (name == "store") DSASTOREINITSTATE(&word, c1, c2);
  if (name == "restore") ELDSARESTOREDATA(&word, &element, &flag1, &flag2);
  if (name == "transfer") DSATRANSFER(&word, c1, c2, &s.direction);
}

TEST_F(Manipulators, EveryManipulatorFollowsItsRuleTable) {
  addParameters(kParameters);
  ElementLayout* e = dm2_dsa_testing::buildElementLayout(everyClass());
  const Int word = e->Word();
  ELDSAFORMSTORAGE(&word);
  const std::vector<const Layout*> layouts = layoutsOf(e);
  std::vector<Settings> variants;
  for (Int mode : {1, 2})
    for (Int b : {0, 1})
      for (Int c : {0, 1})
        for (Int a : {0, 1})
          for (Int flags : {0, 1, 2, 3})
            variants.push_back({mode, a, b, c, flags & 1, flags & 1, (flags >> 1) & 1, (flags >> 1) & 1});
  std::mt19937 random(17);
  int runs = 0;
  for (const auto& [name, rule] : rules())
    for (const Settings& s : variants) {
      state().model.perturbationMode = s.mode;
      randomFill(layouts, random);
      Snapshot want(layouts);
      const Real factor = 0.25;
      applyReference(want, layouts, rule, s, factor);
      run(name, word, s, factor);
      const Snapshot got(layouts);
      ASSERT_EQ(got.data, want.data) << name << " mode " << s.mode << " a " << s.a << " b " << s.b << " c " << s.c
                                     << " control " << s.c1first << s.c1thirteenth;
      ++runs;
    }
  EXPECT_EQ(runs, 8 * 64);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  // Verification walks and changes nothing.
  const Snapshot before(layouts);
  const Int zero = 0;
  ELDSAVERIF(&word, nullptr, nullptr, &zero, &zero, &zero, &zero);
  EXPECT_EQ(Snapshot(layouts).data, before.data);
}

// Each manipulator's operation on one variable does what its rule table says, called through the
// id-list walk (places looked up in the layout) and through visit() over the formed storage (the
// places found when it was formed). The elout perturbation, which no entry builds, is checked here.
TEST_F(Manipulators, IdListWalksAndVisitsOfEveryManipulatorFollowItsRuleTable) {
  addParameters(kParameters);
  ElementLayout* e = formedElement(block(0, kElementVars, kParameters, 2, 3));
  const auto* tree = static_cast<const dsa_VarStorage*>(state().varStorage);
  ASSERT_NE(tree, nullptr);
  std::vector<Int> ids;
  for (const Var& v : kElementVars) ids.push_back(v.id);
  std::map<std::string, Rules> all = rules();
  all["elout"] = [](Int cls, Int, const Settings&) -> std::vector<Move> {
    if (cls == 0 || cls == 1 || cls == 3 || cls == 9) return {{kAdd, kSelf, 0, false, 2, 0, true}};
    if (cls == 4) return {{kAdd, kSelf, 0, false, 1, 0, true}};
    return {};
  };
  std::mt19937 random(41);
  const Real factor = 0.5;
  for (const auto& [name, rule] : all)
    for (Int mode : {1, 2})
      for (Int abc = 0; abc < 8; ++abc)
        for (Int flags = 0; flags < 4; ++flags)
          for (bool viaVisit : {false, true}) {
            const Settings s{mode, abc & 1, (abc >> 1) & 1, (abc >> 2) & 1, flags & 1, flags & 1, flags >> 1, flags >> 1};
            state().model.perturbationMode = s.mode;
            Int c1[13] = {}, c2[8] = {};
            c1[0] = s.c1first;
            c1[10] = s.c1eleventh;
            c1[12] = s.c1thirteenth;
            c2[7] = kP;
            std::unique_ptr<dsa_DataManip> m;
            if (name == "perturb") m = std::make_unique<dsa_Perturb>(e, c1, c2, factor);
            if (name == "elout") m = std::make_unique<dsa_PerturbElout>(e, c1, c2, factor);
            if (name == "sigin") m = std::make_unique<dsa_PerturbSigin>(e, c1, c2, factor);
            if (name == "finitediff") m = std::make_unique<dsa_FiniteDiff>(e, c1, c2, s.a, s.b, s.c, factor);
            if (name == "initderiv") m = std::make_unique<dsa_InitDeriv>(e, c1, c2, s.a, s.b, s.c, factor);
            if (name == "zeroup") m = std::make_unique<dsa_Init>(e, c1, c2);
            if (name == "store") m = std::make_unique<dsa_StoreInitState>(e, c1, c2);
            if (name == "restore") m = std::make_unique<dsa_RestoreInitState>(e);
            if (name == "transfer") m = std::make_unique<dsa_Transfer>(e, c1, c2, s.direction);
            randomFill({e}, random);
            Snapshot want({e});
            applyReference(want, {e}, rule, s, factor);
            if (viaVisit)
              m->visit(*e, tree->var);
            else
              m->doManip(ids.data(), kElementVarBlock, static_cast<Int>(ids.size()));
            ASSERT_EQ(Snapshot({e}).data, want.data) << name << (viaVisit ? " visit" : " ids") << " mode " << mode
                                                     << " abc " << abc << " flags " << flags;
          }
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 0);
  dsa_RestoreInitState(e).manip();
  ASSERT_EQ(eqc_testing::messages().size(), 1u);
  EXPECT_EQ(eqc_testing::messages()[0].level, 1);
  EXPECT_TRUE(eqc_testing::printed("dsa_RestoreInitState::manip()"));
}

// The debug level follows the first character of DSA_DBG_PRINT; verification of element vectors
// prints nothing and leaves its arrays alone.
TEST_F(Manipulators, DebugLevelAndElementVectorVerification) {
  for (const auto& [text, level] : std::vector<std::pair<const char*, Int>>{
           {nullptr, 0}, {"1", 1}, {"2", 2}, {"27", 2}, {"0", 1}, {"x", 1}, {"", 1}}) {
    if (text == nullptr)
      ::unsetenv("DSA_DBG_PRINT");
    else
      ::setenv("DSA_DBG_PRINT", text, 1);
    EXPECT_EQ(dsa_Init(nullptr, nullptr, nullptr).DebugLevel(), level) << (text ? text : "unset");
  }
  ::unsetenv("DSA_DBG_PRINT");
  const std::vector<Real> first = {1, 2, 3}, second = {4, 5, 6};
  std::vector<Real> a = first, b = second;
  const Int i1 = 1, i2 = 2, i3 = 3, i4 = 4;
  DSA_STDVERIFELVECTOR(a.data(), b.data(), &i1, &i2, &i3, &i4, "ELEMENT VECTOR", 14);
  dsa_VerifElVector v(a.data(), b.data(), i1, i2, i3, i4, "FORCES", 6);
  v.elVecPrint();
  v.varPrint();
  v.dVarPrint();
  EXPECT_EQ(a, first);
  EXPECT_EQ(b, second);
  EXPECT_TRUE(eqc_testing::messages().empty());
}

TEST_F(Manipulators, ParameterThreeOfFourPointsOfSixValuesWritesReals48To71) {
  addParameters(4);
  ElementLayout* e = formedElement(block(0, {{9, 4, 4, 6}}, 4, 1, 0));
  const Int word = e->Word();
  for (Real& v : dm2_dsa_testing::copyData(*e, 4, 2)) v = 1;
  Int c1[13] = {}, c2[8] = {};
  c2[7] = 3;
  const Int a = 0, b = 1, c = 0;
  const Real factor = 1;
  ELDSAFINITEDIFF(&word, c1, c2, &a, &b, &c, &factor);
  Snapshot after({e});
  const Real* store = after.at(e, zmxtest::dsa::companion(0, 9, 1), 2);
  std::vector<Real> d1(store, store + 4 * 24);
  const auto& companions = dm2_dsa_testing::copyData(*e, zmxtest::dsa::kCompanionClass, 2);
  for (int i = 0; i < 96; ++i) EXPECT_EQ(d1[i], i >= 48 && i <= 71 ? 1.0 : 0.0) << i;
  EXPECT_EQ(std::count(companions.begin(), companions.end(), 1.0), 24);
}

TEST_F(Manipulators, InitialiseMoveAndDifferenceRecoverTheDirection) {
  addParameters(2);
  ElementLayout* e = formedElement(block(0, {{3, 0, 3, 2}}, 2, 2, 1));
  const Int word = e->Word();
  std::mt19937 random(23);
  for (int trial = 0; trial < 20; ++trial) {
    Snapshot view({e});
    Real* s = dm2_dsa_testing::copyData(*e, 0, 1).data() + (view.at(e, 3, 1) - view.data[{e, 0, 1}].data());
    std::vector<Real> g(6);
    for (int i = 0; i < 6; ++i) {
      s[i] = static_cast<Real>(random() % 100) - 50;
      g[i] = static_cast<Real>(random() % 64) / 8 - 4;
    }
    const Real h = 1.0 / (1 + random() % 7);
    Int c1[13] = {1}, c2[8] = {};
    c2[7] = 1 + static_cast<Int>(random() % 2);
    const Int zero = 0;
    ELDSAINITDERIV(&word, c1, c2, &zero, &zero, &zero, &h);
    for (int i = 0; i < 6; ++i) s[i] += h * g[i];
    const Real inverse = 1 / h;
    ELDSAFINITEDIFF(&word, c1, c2, &zero, &zero, &zero, &inverse);
    Snapshot after({e});
    const Real* t = after.at(e, zmxtest::dsa::companion(0, 3, 2), 1) + (c2[7] - 1) * 6;
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(t[i], g[i], 1e-9);
  }
}

TEST_F(Manipulators, StoredStateMeetsTheRestoreAfterAnIncrementsEnd) {
  addParameters(1);
  ElementLayout* e = formedElement(block(0, {{3, 3, 2, 2}, {6, 9, 1, 3}}, 1));
  const Int word = e->Word();
  auto place = [e](Int id, int copy) {
    const Snapshot s({e});
    const VarBlock::Entry* entry = e->Block().Find(id);
    const Layout::Copies* c = e->ClassCopies(entry->storageClass);
    return dm2_dsa_testing::copyData(*e, entry->storageClass, copy).data() + (c->baseIndex + entry->position) * c->stride;
  };
  std::mt19937 random(5);
  randomFill({e}, random);
  const std::vector<Real> state3(place(3, 1), place(3, 1) + 4), state6(place(6, 2), place(6, 2) + 3);
  DSASTOREINITSTATE(&word, nullptr, nullptr);
  dm2_dsa_testing::endIncrement(e);
  // The analysis moves on.
  std::fill(place(3, 0), place(3, 0) + 4, -1.0);
  std::fill(place(6, 0), place(6, 0) + 3, -2.0);
  const Snapshot moved({e});
  const Int element = 12, one = 1, zero = 0;
  ELDSARESTOREDATA(&word, &element, &one, &one);
  EXPECT_EQ(Snapshot({e}).data, moved.data);
  ELDSARESTOREDATA(&word, &element, &one, &zero);
  EXPECT_EQ(dm2_dsa_testing::refreshedElements(), (std::vector<Int>{12, 12}));
  EXPECT_EQ(std::vector<Real>(place(3, 0), place(3, 0) + 4), state3);
  EXPECT_EQ(std::vector<Real>(place(6, 0), place(6, 0) + 3), state6);
}

TEST_F(Manipulators, MissingCompanionsAndBlocksOutsideTheStoreAreReportedAndSkipped) {
  addParameters(2);
  ElementLayout* e = formedElement(block(0, {{3, 3, 2, 2}, {5, 3, 1, 1}}, 2),
                                   [] { dm2_dsa_testing::setVarID(0, 5, {{-1, 999, -1, -1}}); });
  const Int word = e->Word();
  std::mt19937 random(9);
  randomFill({e}, random);
  const Snapshot before({e});
  state().model.perturbationMode = 1;
  Int c1[13] = {}, c2[8] = {};
  c2[7] = 3;  // beyond the two blocks of every store
  const Real factor = 2;
  const Int unused = 0;
  ELDSAPERTURB(&word, c1, c2, &factor, &unused);
  EXPECT_EQ(Snapshot({e}).data, before.data);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ELDSAPERTURB"));
  c2[7] = 0;
  ELDSAPERTURB(&word, c1, c2, &factor, &unused);
  EXPECT_EQ(Snapshot({e}).data, before.data);
}

// An initial-state companion smaller than its variable, or a design parameter beyond the blocks of
// a store, is reported by the manipulators that copy or clear whole blocks; nothing changes.
TEST_F(Manipulators, CompanionsAndBlocksTooSmallForTheVariableAreReported) {
  addParameters(2);
  ElementLayout* e = formedElement(block(0, {{3, 3, 2, 2}, {5, 0, 1, 1}}, 2), [] {
    dm2_dsa_testing::setVarID(0, 3, {{5, zmxtest::dsa::companion(0, 3, 1), zmxtest::dsa::companion(0, 3, 2), -1}});
  });
  const Int word = e->Word();
  std::mt19937 random(12);
  randomFill({e}, random);
  const Snapshot before({e});
  Int c1[13] = {}, c2[8] = {};
  DSASTOREINITSTATE(&word, c1, c2);  // d0 of variable 3 is variable 5: one value for four
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 1);
  c2[7] = 3;
  const Int zero = 0;
  const Real factor = 1;
  ELDSAINITDERIV(&word, c1, c2, &zero, &zero, &zero, &factor);  // variables 3 and 5: no block 3
  EXPECT_EQ(Snapshot({e}).data, before.data);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 3);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DSASTOREINITSTATE"));
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN ELDSAINITDERIV"));
}

// A storage formed for another element: the tree's variables of 5000 and 4000 values do not fit
// the walked element's 3 and 2, so every entry over the stored places reports and changes nothing.
TEST_F(Manipulators, AStorageFormedForAnotherElementIsReportedAndChangesNothing) {
  addParameters(kParameters);
  ElementPlan formed, walked;
  formed.block = block(0, {{3, 3, 5000, 1}, {6, 9, 4000, 1}}, kParameters);
  walked.block = block(0, {{3, 3, 3, 1}, {6, 9, 2, 1}}, kParameters);
  const Int formedWord = dm2_dsa_testing::buildElementLayout(formed)->Word();
  ElementLayout* e = dm2_dsa_testing::buildElementLayout(walked);
  std::mt19937 random(36);
  randomFill({e}, random);
  const Snapshot before({e});
  ELDSAFORMSTORAGE(&formedWord);
  for (const auto& [name, entry] : std::map<std::string, std::string>{
           {"perturb", "ELDSAPERTURB"}, {"sigin", "SIGINDSAPERTURB"}, {"finitediff", "ELDSAFINITEDIFF"},
           {"initderiv", "ELDSAINITDERIV"}, {"zeroup", "DSA_ZEROUPSTATE"}, {"store", "DSASTOREINITSTATE"},
           {"restore", "ELDSARESTOREDATA"}, {"transfer", "DSATRANSFER"}}) {
    run(name, e->Word(), Settings{}, 0.5);
    EXPECT_EQ(Snapshot({e}).data, before.data) << name;
    EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN " + entry)) << name;
  }
}

TEST_F(Manipulators, MassStoreAndContactPerturbationAddressTheirVariables) {
  addParameters(1);
  ElementPlan plan;
  plan.block = block(0, {{50, 1, 2, 3}}, 1, 2, 1);
  for (int s = 0; s < 2; ++s)
    plan.sects.push_back({block(1, {}, 1), {}, {block(3, {{251, 9, 1, 2}, {887, 2, 1, 3}}, 1)}});
  ElementLayout* e = dm2_dsa_testing::buildElementLayout(plan);
  const Int word = e->Word();
  const std::vector<Real> mass = {1, 2, 3, 4, 5, 6};
  Int n = 6;
  DSA_MASSTORE(&word, mass.data(), &n);
  Snapshot afterStore({e});
  const Real* stored = afterStore.at(e, zmxtest::dsa::companion(0, 50, 1), 2);
  EXPECT_EQ(std::vector<Real>(stored, stored + 6), mass);
  n = 7;
  DSA_MASSTORE(&word, mass.data(), &n);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DSA_MASSTORE"));
  std::mt19937 random(2);
  const std::vector<const Layout*> layouts = layoutsOf(e);
  randomFill(layouts, random);
  const Snapshot before(layouts);
  Int count = 0, j = 2;
  const Real dv = 0.5;
  DSA_PERTCONTCTA(&word, &count, &j, &count, &dv);
  EXPECT_EQ(Snapshot(layouts).data, before.data);
  count = 2;
  DSA_PERTCONTCTA(&word, &count, &j, &count, &dv);
  Snapshot want = before;
  for (Int s = 1; s <= 2; ++s) {
    const Layout* m = e->SectPoint(s)->MatPoint(1);
    Real* t = want.at(m, 251, 0);
    const Real add = dv * want.at(m, 887, 0)[1];
    t[0] += add;
    t[1] += add;
  }
  EXPECT_EQ(Snapshot(layouts).data, want.data);
  // A value j beyond variable 887's three values is reported at each section point.
  eqc_testing::clearMessages();
  j = 4;
  DSA_PERTCONTCTA(&word, &count, &j, &count, &dv);
  EXPECT_EQ(Snapshot(layouts).data, want.data);
  EXPECT_EQ(eqc_testing::countAtLevel(-3), 2);
  EXPECT_TRUE(eqc_testing::printed("SYSTEM ERROR IN DSA_PERTCONTCTA"));
}

}  // namespace
