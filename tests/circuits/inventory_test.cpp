// The component inventory: the file's defaults and byte layout, loading and saving, and
// the stock tests of resistors and capacitors.
#include "circuits/Inventory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tavrin::circuits {
namespace {

namespace fs = std::filesystem;

class InventoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            (std::string("tavrin-inventory-") + info->name() + "-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  static std::vector<unsigned char> Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path root_;
};

TEST_F(InventoryTest, FirstRunCreatesTheDefaultFile) {
  core::ComponentInventory inv;
  const fs::path file = root_ / "data" / kInventoryFileName;
  const InventoryFileResult r = LoadInventory(inv, file);
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.created);
  const std::vector<unsigned char> bytes = Bytes(file);
  ASSERT_EQ(bytes.size(), 1012u);
  for (std::size_t i = 0; i < 996; ++i) ASSERT_EQ(bytes[i], 1) << i;
  // The last eight int16, little-endian: the four ranges.
  const int ranges[] = {0, 7, 0, 7, 0, 7, 0, 6};
  for (std::size_t k = 0; k < 8; ++k) {
    const int v = bytes[996 + 2 * k] | (bytes[997 + 2 * k] << 8);
    EXPECT_EQ(v, ranges[k]) << k;
  }
  EXPECT_EQ(std::vector<unsigned char>(inv.bytes.begin(), inv.bytes.end()), bytes);

  // The second run reads what the first one wrote.
  core::ComponentInventory again;
  const InventoryFileResult second = LoadInventory(again, file);
  EXPECT_TRUE(second.ok);
  EXPECT_FALSE(second.created);
  EXPECT_EQ(again.bytes, inv.bytes);
}

TEST_F(InventoryTest, ProgramPlaceIsTheUserDataFolder) {
  const char* old = std::getenv("TAVRIN_HOME");
  const std::string saved = old ? old : "";
  setenv("TAVRIN_HOME", root_.c_str(), 1);
  core::ComponentInventory inv;
  const InventoryFileResult r = LoadInventory(inv);
  const auto paths = core::ResolvePaths();
  if (old) {
    setenv("TAVRIN_HOME", saved.c_str(), 1);
  } else {
    unsetenv("TAVRIN_HOME");
  }
  EXPECT_TRUE(r.ok);
  ASSERT_TRUE(paths.has_value());
  EXPECT_EQ(fs::file_size(paths->userData / "RCInvent.dat"), 1012u);
}

TEST_F(InventoryTest, SavedChangesComeBack) {
  core::ComponentInventory inv;
  SetDefaultInventory(inv);
  SetInStock(inv, InventoryBlock::E24, 3, 16, false);  // 47 kOhm
  SetRange(inv, InventoryBlock::Capacitors, {2, 5});
  const fs::path file = root_ / kInventoryFileName;
  ASSERT_TRUE(SaveInventory(inv, file).ok);
  core::ComponentInventory back;
  ASSERT_TRUE(LoadInventory(back, file).ok);
  EXPECT_EQ(back.bytes, inv.bytes);
  EXPECT_FALSE(InStock(back, InventoryBlock::E24, 3, 16));
  EXPECT_EQ(GetRange(back, InventoryBlock::Capacitors).first, 2);
  EXPECT_EQ(GetRange(back, InventoryBlock::Capacitors).lastPlus1, 5);
  EXPECT_EQ(back.bytes[1008], 2);
  EXPECT_EQ(back.bytes[1010], 5);
}

TEST_F(InventoryTest, ShortFileIsReadAsFarAsItGoes) {
  const fs::path file = root_ / kInventoryFileName;
  {
    std::ofstream out(file, std::ios::binary);
    const char zeros[10] = {};
    out.write(zeros, sizeof zeros);
  }
  core::ComponentInventory inv;
  SetDefaultInventory(inv);
  const InventoryFileResult r = LoadInventory(inv, file);
  EXPECT_TRUE(r.ok);
  EXPECT_FALSE(r.created);
  for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(inv.bytes[i], 0) << i;
  EXPECT_EQ(inv.bytes[10], 1);
  EXPECT_EQ(GetRange(inv, InventoryBlock::Capacitors).lastPlus1, 6);
  EXPECT_EQ(fs::file_size(file), 10u);  // loading never rewrites an existing file
}

TEST_F(InventoryTest, StockBytesSitWhereTheLayoutPutsThem) {
  // k x 96 + index + 192 (E96), k x 24 + index + 720 (E24), k x 12 + index + 864 (E12),
  // 1080 - 12 k + index (capacitors), with k the decade of the membership test.
  struct Case {
    const char* what;
    double value;
    double tolerance;  // 0 for a capacitor
    std::size_t byte;
  };
  const Case cases[] = {
      {"4.99k E96", 4990, 1, 1 * 96 + 67 + 192},
      {"1 ohm E96", 1, 1, 0},
      {"9.76M E96", 9.76e6, 1, 4 * 96 + 95 + 192},
      {"4.7k E24", 4700, 5, 1 * 24 + 16 + 720},
      {"4.7k E12", 4700, 10, 1 * 12 + 8 + 864},
      {"10 nF", 10e-9, 0, 1080 - 12 * 10 + 0},
      {"10 pF", 10e-12, 0, 924},
      {"8.2 uF", 8.2e-6, 0, 1080 - 12 * 8 + 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    core::ComponentInventory inv;
    SetDefaultInventory(inv);
    auto inStock = [&] {
      return c.tolerance > 0 ? ResistorInStock(inv, c.tolerance, c.value) : CapacitorInStock(inv, c.value);
    };
    EXPECT_TRUE(inStock());
    inv.bytes[c.byte] = 0;
    EXPECT_FALSE(inStock());
  }
}

TEST_F(InventoryTest, ValuesOutsideTheFilesDecadesAreNeverInStock) {
  core::ComponentInventory inv;
  SetDefaultInventory(inv);
  EXPECT_FALSE(ResistorInStock(inv, 1, 0.499));  // below 1 ohm
  EXPECT_FALSE(ResistorInStock(inv, 1, 10e6));   // 10 MOhm and up
  EXPECT_FALSE(ResistorInStock(inv, 5, 100e6));
  EXPECT_TRUE(ResistorInStock(inv, 5, 9.1e6));
  EXPECT_FALSE(ResistorInStock(inv, 1, 4991));   // not a series value
  EXPECT_FALSE(ResistorInStock(inv, 5, 4990));   // not in E24
  EXPECT_FALSE(ResistorInStock(inv, 15, 4700));  // no series above 10 %
  EXPECT_FALSE(CapacitorInStock(inv, 8.2e-12));  // below 10 pF
  EXPECT_FALSE(CapacitorInStock(inv, 10e-6));    // the range ends at 8.2 uF
  EXPECT_FALSE(CapacitorInStock(inv, 4.75e-9));
  EXPECT_FALSE(InResistorInventory(inv, Series::E96, 0, -3));
  EXPECT_FALSE(InResistorInventory(inv, Series::E96, 0, 5));
  EXPECT_FALSE(InCapacitorInventory(inv, 0, 14));
  EXPECT_FALSE(InCapacitorInventory(inv, 0, 7));
  // Even a range that claims more decades than the file holds reads nothing beyond them.
  SetRange(inv, InventoryBlock::Capacitors, {0, 20});
  EXPECT_FALSE(CapacitorInStock(inv, 10e-6));
}

TEST_F(InventoryTest, CapacitorRangeEndLimitsTheStock) {
  core::ComponentInventory inv;
  SetDefaultInventory(inv);
  SetRange(inv, InventoryBlock::Capacitors, {0, 3});  // up to the 1 nF decade
  EXPECT_TRUE(CapacitorInStock(inv, 8.2e-9 / 10));
  EXPECT_FALSE(CapacitorInStock(inv, 10e-9));
  EXPECT_TRUE(InCapacitorInventory(inv, 0, 11));
  EXPECT_FALSE(InCapacitorInventory(inv, 0, 10));
}

}  // namespace
}  // namespace tavrin::circuits
