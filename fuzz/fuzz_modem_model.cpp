// Any bytes into the simulated modem's command engine, under any firmware
// and fault: it answers without failing, its output stays within a fixed
// multiple of its input (no line can make it talk without end), its
// registers keep byte values and its modulation a valid range, and the
// output schedule hands out every byte in order.
#include <chrono>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "ident/firmware_table.h"
#include "model/modem_model.h"

namespace {

using namespace lintari;
using namespace lintari::modemsim;
using fuzzing::check;

// The most a received byte can bring: "I3" (two bytes) brings the framed
// identification banner, up to about eighty bytes, NUL sprinkling adds half
// again, and each byte may also be echoed; a line ending adds the final
// result.
constexpr std::size_t kOutputPerByte = 64;
constexpr std::size_t kOutputSlack = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::Input input(data, size);
  const FirmwareRow& firmware = firmwareTable()[input.byte() % firmwareTable().size()];
  const std::uint8_t faultBits = input.byte();
  Faults faults;
  faults.noEcho = (faultBits & 1u) != 0;
  faults.silent = (faultBits & 2u) != 0;
  faults.garble = (faultBits & 4u) != 0;
  faults.nulBytes = (faultBits & 8u) != 0;
  faults.stream = (faultBits & 16u) != 0;
  if ((faultBits & 32u) != 0) faults.errorRegisters = {91, 203, 216};
  fuzzing::Pieces pieces(input.rest(), input.byte());

  ModemModel modem(firmware, faults);
  OutputSchedule schedule(std::chrono::milliseconds(5));
  OutputSchedule::Clock::time_point now{};
  std::string produced;
  std::string delivered;
  std::size_t received = 0;
  std::string_view piece;
  while (pieces.next(piece)) {
    const std::vector<Output> outputs = modem.receive(piece);
    received += piece.size();
    for (const Output& o : outputs) produced += o.bytes;
    // Counted over the whole stream: a line gathered from earlier pieces is
    // answered when its CR arrives.
    check(produced.size() <= kOutputPerByte * received + kOutputSlack, "the modem talks without end",
          std::to_string(produced.size()) + " bytes for " + std::to_string(received));
    check(!faults.silent || outputs.empty(), "a silent modem answered");
    schedule.add(outputs, now);
    now += std::chrono::milliseconds(pieces.below(20));
    delivered += schedule.takeDue(now);
    if (modem.streaming()) check(modem.streamBurst().size() <= kOutputSlack, "a stream burst without end");
  }
  for (const RegisterRow& row : factoryRegisters()) {
    const int value = modem.registerValue(row.number);
    check(value >= 0 && value <= 255, "a register left the byte range", std::to_string(row.number));
  }
  const Modulation& m = modem.modulation();
  check(m.minTx <= m.maxTx && m.minRx <= m.maxRx && m.maxTx <= 56000 && m.maxRx <= 56000 && m.minTx >= 0 &&
            m.minRx >= 0,
        "the modulation range is broken");
  while (const std::optional<OutputSchedule::Clock::time_point> due = schedule.nextDue()) {
    delivered += schedule.takeDue(*due);
  }
  check(delivered == produced, "the output schedule lost or reordered bytes");
  return 0;
}
