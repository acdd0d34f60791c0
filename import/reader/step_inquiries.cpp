// Inquiries of the restart data, the steps and the times of the previous analysis: which steps
// and increments were stored, at which times, and the option bits of each step.

#include <cstdint>
#include <string>

#include "import/reader/restart_data.h"
#include "siblings/glo/block_store.h"
#include "zmx/import/reader.h"

namespace zmx::imp {

bool readRestart(Request& request, Restart& restart, bool withStarts) {
  const Int handle = rho(rw::kRestart);
  if (!restart.directory.read(handle, 1, L::kRestartDirectoryWords, false)) return false;
  restart.count = restart.directory.i(1);
  if (!blockLength(request, 16LL * restart.count)) return false;
  if (!restart.steps.read(handle, restart.directory.i(3), 16 * restart.count, false)) return false;
  if (withStarts && !restart.starts.read(handle, restart.directory.i(4), restart.count, true)) return false;
  return request.ok();
}

Int incrementKey(Request& request, Int stepRow, Int increment, Int& key) {
  Restart restart(request);
  if (!readRestart(request, restart, false)) return 1;
  if (stepRow < 1 || stepRow > restart.count || increment < 0 || increment > restart.row(stepRow, 2)) return 2;
  const long long sum = 0LL + increment + restart.row(stepRow, 4);
  if (sum < 0 || sum > INT32_MAX) request.damaged("INCREMENT KEY " + std::to_string(sum));
  key = static_cast<Int>(sum);
  return request.ok() ? 0 : 1;
}

}  // namespace zmx::imp

namespace {

using namespace zmx::imp;

// Makes partition 203 of the step the open one: searched first, so that a step without step
// data leaves the handle unbound rather than bound to another step's partition.
void selectStep(Int step) {
  if (step == rho(rw::kStepKey)) return;
  DSM_PAR_CLOSE(&rho(rw::kStep));
  const Int unit = L::kModelUnit, number = L::kStepPartition, one = 1;
  Int instance = 0, key = step;
  DSM_PAR_FINDFIRST(&unit, &number, &instance, &one, &key);
  rho(rw::kFound) = instance;
  if (key != 0 && step != 0) DSM_PAR_OPEN(&unit, &rho(rw::kStep), &number, &rho(rw::kFound), &one, &step);
  rho(rw::kStepKey) = step;
}

// The step block of the open step, false when the step has none.
bool readStepBlock(Request& request, Block& block) {
  if (!stepDataOpen()) return false;
  Block directory(request);
  if (!directory.read(rho(rw::kStep), 1, L::kStepDirectoryWords, false) || directory.i(4) < 1) return false;
  return block.read(rho(rw::kStep), directory.i(4), directory.i(1), false);
}

// Copies count stored words of block number of the restart partition into target.
bool copyStored(Request& request, Int number, Int count, Target target, bool real) {
  Block stored(request);
  if (!stored.read(rho(rw::kRestart), number, count, real)) return false;
  for (Int k = 1; k <= count && request.ok(); ++k) target.setI(k, stored.i(k));
  return request.ok();
}

// Times and increment numbers of the step's row (m of each; 0 when no row holds the step).
void stepRows(Request& request, Int step, Int steps, const Words& table, Int* count, Int* times, Int* increments) {
  Int m = 0;
  Int row = 0;
  for (Int s = 1; s <= steps && request.ok(); ++s)
    if (table.i(16LL * (s - 1) + 1) == step) {
      row = s;
      m = table.i(16LL * (s - 1) + 2);
      break;
    }
  Block timeBlock(request), incrementBlock(request);
  if (!blockLength(request, m) || !timeBlock.make(m, true) || !incrementBlock.make(m, false)) return;
  if (m > 0 && (!copyStored(request, table.i(16LL * (row - 1) + 6), m, timeBlock.target(), true) ||
                !copyStored(request, table.i(16LL * (row - 1) + 5), m, incrementBlock.target(), false)))
    return;
  *count = m;
  *times = timeBlock.keep();
  *increments = incrementBlock.keep();
}

Int procedureOf(Int bits, Int current) {
  if ((bits & 1025) == 1025) current = 17;
  if ((bits & 2049) == 2049) current = 74;
  if ((bits & 1280) == 1280) current = 98;
  return current;
}

// First stored increment of one step whose total time reaches time: its position, 0 when none.
Int searchStep(float time, float start, Int m, const Words& times, const Words& increments, Int* increment,
               float* inStep) {
  for (Int i = 1; i <= m; ++i) {
    const float total = start + times.r(i);
    if (time <= total) {
      *increment = increments.i(i);
      *inStep = times.r(i);
      return i;
    }
  }
  return 0;
}

struct TimeAnswer {
  Int step = 0, position = 0, increment = 0;
  float start = 0.0F, inStep = 0.0F;
};

TimeAnswer timeSearch(Request& request, float time, Int steps, const Words& table, const Words& starts) {
  for (Int s = 1; s <= steps && request.ok(); ++s) {
    const Int m = table.i(16LL * (s - 1) + 2);
    if (m <= 0) continue;
    Block times(request), increments(request);
    if (!times.read(rho(rw::kRestart), table.i(16LL * (s - 1) + 6), m, true) ||
        !increments.read(rho(rw::kRestart), table.i(16LL * (s - 1) + 5), m, false))
      break;
    TimeAnswer answer;
    answer.start = starts.r(s);
    answer.position = searchStep(time, answer.start, m, times.words(), increments.words(), &answer.increment,
                                 &answer.inStep);
    if (answer.position != 0 && request.ok()) {
      answer.step = table.i(16LL * (s - 1) + 1);
      return answer;
    }
  }
  return {};
}

}  // namespace

extern "C" {

void INQ_RDB_RESTART(Int* steps, Int* numbers, Int* starts) {
  *steps = 0;
  *numbers = *starts = kNoBlock;
  Request request("INQ_RDB_RESTART");
  Restart restart(request);
  if (!readRestart(request, restart, true)) return;
  Block numberBlock(request), startBlock(request);
  if (!numberBlock.make(restart.count, false) || !startBlock.make(restart.count, true)) return;
  Target numberTarget = numberBlock.target(), startTarget = startBlock.target();
  for (Int s = 1; s <= restart.count && request.ok(); ++s) {
    numberTarget.setI(s, restart.row(s, 1));
    startTarget.setI(s, restart.starts.i(s));
  }
  if (!request.ok()) return;
  *steps = restart.count;
  *numbers = numberBlock.keep();
  *starts = startBlock.keep();
  handOut({numbers, starts});
}

void INQ_RDB_STEP(const Int* step, Int* times, Int* increments, Int* count, Int* value, Int* procedure) {
  Request request("INQ_RDB_STEP");
  *count = 0;
  selectStep(*step);
  Block stepBlock(request);
  // A step without step data makes no block and leaves the other outputs as they were.
  if (!readStepBlock(request, stepBlock) && request.ok()) return;
  *times = *increments = kNoBlock;  // a failed read hands out no block
  if (!request.ok()) return;
  const Int bits = stepBlock.i(11), stored = stepBlock.i(51);
  Restart restart(request);
  if (!request.ok() || !readRestart(request, restart, false)) return;
  stepRows(request, *step, restart.count, restart.steps.words(), count, times, increments);
  if (!request.ok()) return;
  *procedure = procedureOf(bits, *procedure);
  *value = stored;
  handOut({times, increments});
}

void INQ_RDB_STEP1(const Int* step, const Int* steps, const Int* stepTable, Int* count, Int* times, Int* increments) {
  Request request("INQ_RDB_STEP1");
  *times = *increments = kNoBlock;
  *count = 0;
  if (blockLength(request, 16LL * *steps))
    stepRows(request, *step, *steps, Words(request, stepTable, 16 * *steps), count, times, increments);
}

void INQ_RDB_TIME(const float* time, Int* step, Int* position, Int* increment, float* stepStart, float* timeInStep) {
  Request request("INQ_RDB_TIME");
  TimeAnswer answer;
  Restart restart(request);
  if (readRestart(request, restart, true))
    answer = timeSearch(request, *time, restart.count, restart.steps.words(), restart.starts.words());
  if (!request.ok()) answer = {};
  *step = answer.step;
  *position = answer.position;
  *increment = answer.increment;
  *stepStart = answer.start;
  *timeInStep = answer.inStep;
}

void INQ_RDB_TIME1(const float* time, const Int* steps, const Int* stepTable, const float* starts, Int* step,
                   Int* position, Int* increment, float* stepStart, float* timeInStep) {
  Request request("INQ_RDB_TIME1");
  TimeAnswer answer;
  if (blockLength(request, 16LL * *steps))
    answer = timeSearch(request, *time, *steps, Words(request, stepTable, 16 * *steps),
                        Words(request, reinterpret_cast<const Int*>(starts), *steps));
  *step = answer.step;
  *position = answer.position;
  *increment = answer.increment;
  *stepStart = answer.start;
  *timeInStep = answer.inStep;
}

void INQ_RDB_TIMESTEP(const float* time, const float* stepStart, const Int* count, const float* times,
                      const Int* increments, Int* position, Int* increment, float* timeInStep) {
  Request request("INQ_RDB_TIMESTEP");
  *increment = 0;
  *timeInStep = 0.0F;
  const Int m = *count > 0 ? *count : 0;
  *position = searchStep(*time, *stepStart, m, Words(request, reinterpret_cast<const Int*>(times), m),
                         Words(request, increments, m), increment, timeInStep);
}

void INQ_RDB_ALECLASSNUMBER(const Int* step, Int* elementClass) {
  Request request("INQ_RDB_ALECLASSNUMBER");
  *elementClass = 0;
  selectStep(*step);
  Block stepBlock(request);
  if (readStepBlock(request, stepBlock)) *elementClass = stepBlock.i(73);
  if (!request.ok()) *elementClass = 0;
}

}  // extern "C"
