// Snapshots named by global atoms: the picture the board delivered, as a 24-bit
// BMP file, converted by the tests' own reference.
#include <string>

#include "sim/video/test_pattern.h"
#include "tests/mci_preview/preview_fixture.h"
#include "tests/support/dib_rows.h"
#include "tests/support/image_files.h"
#include "tests/support/temp_dir.h"

namespace mci_preview_test {
namespace {

using testing_support::Bytes;

using mci_preview::PVM_SET_SIZE;
using mci_preview::PVM_SNAPSHOT;

// The field whose number a line carries in its first pixel pairs.
std::uint32_t StampOf(const BYTE* line) {
  std::uint32_t field = 0;
  for (int b = 0; b < sim::kStampBits; ++b)
    if (line[4 * b] > 128) field |= 1u << b;
  return field;
}

// The test pattern's line `row` of that field's frame, as the DMA writes it.
Bytes PatternLine(std::uint32_t field, int row) {
  Bytes line(640 * 2);
  for (int x = 0; x < 640; ++x) {
    sim::Yuv p = sim::PatternPixel(0, field, x, row);
    line[2 * x] = p.y;
    line[2 * x + 1] = (x & 1) ? p.v : p.u;
  }
  return line;
}

class SnapshotTest : public PreviewTest {
 protected:
  void SetUp() override {
    PreviewTest::SetUp();
    // Lines padded past the image: the snapshot must read them a pitch apart.
    sim::MachineDescription desc = PreviewMachine();
    desc.display.pitch_alignment = 2048;
    PowerOn(desc);
    ASSERT_EQ(Open(), RG7MCI_OK);
    ASSERT_EQ(Rg7mciPlay(device_), RG7MCI_OK);
    ASSERT_TRUE(Fields(6));
    Freeze();
  }
  testing_support::TempDir dir_;
};

TEST_F(SnapshotTest, SavesTheDeliveredPatternAsA24BitBmpAndDeletesTheAtom) {
  std::string file = dir_.File("snap.bmp");
  ATOM atom = GlobalAddAtomA(file.c_str());
  ASSERT_NE(atom, 0);
  Send(PVM_SNAPSHOT, 0, atom);
  char name[256];
  EXPECT_EQ(GlobalGetAtomNameA(atom, name, sizeof name), 0u);  // taken

  testing_support::Image image =
      testing_support::SwapRedAndBlue(testing_support::BmpImage(testing_support::ReadBytes(file)));
  ASSERT_EQ(image.bits, 24);
  ASSERT_EQ(image.width, 640);
  ASSERT_EQ(image.height, 480);
  sim::SurfaceInfo surface = Overlay();
  ASSERT_GT(surface.pitch, 640 * 2);
  for (int row = 0; row < 480; ++row) {
    std::uint32_t field = StampOf(surface.memory + static_cast<std::ptrdiff_t>(row) * surface.pitch);
    ASSERT_EQ(field & 1, static_cast<std::uint32_t>(row & 1)) << "row " << row << " from the wrong field";
    // Past the stamp, the pattern itself.
    ASSERT_TRUE(testing_support::RowMatches(image.Row(row) + 3 * sim::kStampWidth, PatternLine(field, row),
                                            sim::kStampWidth, 640 - sim::kStampWidth, 24))
        << "row " << row;
  }
  // Through the driver, likewise.
  EXPECT_EQ(Rg7mciCapture(device_, dir_.File("again.bmp").c_str()), RG7MCI_OK);
  EXPECT_EQ(testing_support::ReadBytes(dir_.File("again.bmp")), testing_support::ReadBytes(file));
}

TEST_F(SnapshotTest, AWindowLargerThanTheImageSavesTheImageAndAnEmptyOneSavesNothing) {
  Send(PVM_SET_SIZE, 0, MAKELPARAM(300, 900));  // height 300, width 900
  std::string big = dir_.File("big.bmp");
  EXPECT_EQ(Rg7mciCapture(device_, big.c_str()), RG7MCI_OK);
  testing_support::Image image = testing_support::BmpImage(testing_support::ReadBytes(big));
  EXPECT_EQ(image.width, 640);
  EXPECT_EQ(image.height, 300);

  Send(PVM_SET_SIZE, 0, MAKELPARAM(0, 200));
  std::string empty = dir_.File("empty.bmp");
  ATOM atom = GlobalAddAtomA(empty.c_str());
  Send(PVM_SNAPSHOT, 0, atom);
  char name[256];
  EXPECT_EQ(GlobalGetAtomNameA(atom, name, sizeof name), 0u);  // still taken
  EXPECT_TRUE(testing_support::ReadBytes(empty).empty());
}

TEST_F(SnapshotTest, AnAtomWithoutANameSavesNothingAndDeletesNothing) {
  ATOM other = GlobalAddAtomA(dir_.File("other.bmp").c_str());
  ASSERT_NE(other, 0);
  const ATOM unknown = other == 0xC123 ? 0xC124 : 0xC123;
  Send(PVM_SNAPSHOT, 0, unknown);
  char name[256];
  EXPECT_NE(GlobalGetAtomNameA(other, name, sizeof name), 0u);
  EXPECT_TRUE(testing_support::ReadBytes(dir_.File("other.bmp")).empty());
  GlobalDeleteAtom(other);
  // The driver has no name to give.
  EXPECT_EQ(Rg7mciCapture(device_, ""), RG7MCI_ERR_FILE_NAME);
  EXPECT_EQ(Rg7mciCapture(device_, nullptr), RG7MCI_ERR_PARAMETER);
}

}  // namespace
}  // namespace mci_preview_test
