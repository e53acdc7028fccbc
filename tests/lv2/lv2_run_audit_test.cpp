// The plug-in's run never touches the heap or a lock: the phrase (notes,
// controllers, tempo changes, control moves) and a block with more events
// than one batch holds, with every allocation, free and lock operation of
// the process counted while run is inside the plug-in.
#include <gtest/gtest.h>

#include "instrument/audio_thread_audit.h"
#include "lilv_host.h"
#include "phrase.h"
#include "support/loaded_plugin.h"

namespace {

class AuditedInstance : public lv2test::Instance {
 public:
  using Instance::Instance;

 protected:
  void Process(std::uint32_t frames) override {
    AuditScope scope;
    Instance::Process(frames);
  }
};

TEST(Lv2RunAudit, RunNeitherAllocatesNorLocks) {
  ScopedExportFile exportFile;
  lv2test::World world;
  const lv2test::Phrase phrase;
  AuditedInstance instance(world, phrase.input);
  ASSERT_TRUE(instance.Made());
  ResetAuditedCounts();
  for (int round = 0; round < 3; ++round) {
    instance.Control("vowel") = 0.2f * static_cast<float>(round);
    instance.Control("chorus") = static_cast<float>(round % 2);
    phrase.PlayOn(instance);
  }
  std::vector<lv2test::TimedEvent> crowd;
  for (std::uint32_t i = 0; i < 600; ++i) {
    crowd.push_back({i / 2, {static_cast<std::uint8_t>(i % 2 == 0 ? 0x90 : 0x80), static_cast<std::uint8_t>(40 + i % 40), 90}});
  }
  instance.Run(lv2test::Instance::kMaxBlock, crowd);

  const AuditCounts counts = AuditedCounts();
  EXPECT_EQ(counts.allocations, 0u) << counts.firstCaller;
  EXPECT_EQ(counts.frees, 0u) << counts.firstCaller;
  EXPECT_EQ(counts.locks, 0u) << counts.firstCaller;
}

}  // namespace
