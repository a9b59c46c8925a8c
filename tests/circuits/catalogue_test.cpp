// The catalogue against its tables: numbering, captions, both descriptor rows and the
// component counts, which the descriptors, the table of circuits and the netlist
// templates must all agree on.
#include "circuits/Catalogue.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/DesignState.h"
#include "output/NetlistTemplates.h"

namespace tavrin::circuits {
namespace {

struct CatalogueRow {
  const char* key;
  const char* type;
  int number;
  int id;
  int index;
  const char* caption;
  int resistors;
  int capacitors;
  int opAmps;
  bool inverting;
  const char* descriptor;
  const char* adjust;
};

// Code, type, number, id, index, caption, R, C, OA and inverting of the table of
// circuits, with the two descriptor rows of each circuit.
// clang-format off
const CatalogueRow kRows[] = {
    {"FLP01", "FLP", 1, 1, 1, "First Order Lowpass I", 1, 1, 1, false, "00,000,01,01,00,00,01,01,00,00,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},
    {"FLP02", "FLP", 2, 2, 2, "First Order Lowpass II", 3, 1, 1, false, "00,000,03,01,01,00,00,01,00,00,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},
    {"FLP03", "FLP", 3, 3, 3, "First Order Lowpass III", 2, 1, 1, true, "00,000,02,01,00,00,00,01,00,01,00,00", "01,00,01,02,00,00,00,00,00,00,00,00"},
    {"FHP01", "FHP", 1, 6, 4, "First Order Highpass I", 1, 1, 1, false, "00,000,01,01,00,00,01,01,00,00,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},
    {"FHP02", "FHP", 2, 7, 5, "First Order Highpass II", 3, 1, 1, false, "00,000,03,01,01,00,00,01,00,00,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},
    {"FHP03", "FHP", 3, 8, 6, "First Order Highpass III", 1, 2, 1, true, "00,000,01,02,00,00,00,01,00,01,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},
    {"FHP04", "FHP", 4, 9, 7, "First Order Highpass IV", 2, 1, 1, true, "00,000,02,01,00,00,00,01,00,01,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},
    {"SLP01", "SLP", 1, 11, 8, "Sallen-Key (SK) Second Order Lowpass I", 2, 2, 1, false, "01,001,02,02,00,01,01,01,00,00,01,01", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SLP02", "SLP", 2, 12, 9, "Sallen-Key (SK) Second Order Lowpass II", 4, 2, 1, false, "01,010,04,02,01,01,01,01,00,00,01,02", "01,00,03,01,02,03,00,00,03,00,00,10"},
    {"SLP03", "SLP", 3, 13, 10, "Multiple Feedback (MFB) Second Order Lowpass I", 3, 2, 1, true, "00,100,03,02,00,00,00,01,00,01,01,03", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SLP04", "SLP", 4, 14, 11, "Multiple Feedback (MFB) Second Order Lowpass II", 5, 2, 1, true, "01,010,05,02,01,00,00,01,00,01,01,04", "01,00,03,01,02,03,00,00,03,00,00,00"},
    {"SLP05", "SLP", 5, 15, 12, "Fliege Second Order Lowpass ", 5, 2, 2, false, "00,001,05,02,00,00,01,02,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SLP06", "SLP", 6, 16, 13, "Bach Second Order Lowpass", 2, 2, 2, false, "01,010,02,02,00,00,01,02,00,00,01,05", "01,01,02,01,02,00,00,00,00,00,00,00"},
    {"SLP07", "SLP", 7, 17, 14, "Twin-T Second Order Lowpass", 5, 3, 2, false, "00,001,05,03,01,00,01,02,01,00,00,00", "01,00,03,01,02,03,00,00,03,00,00,00"},
    {"SLP08", "SLP", 8, 18, 15, "KHN (Non-Inverting Input) Second Order Lowpass", 6, 2, 3, false, "00,001,06,02,00,00,01,03,00,00,00,00", "01,00,03,02,03,06,00,00,03,00,00,00"},
    {"SLP09", "SLP", 9, 19, 16, "KHN (Inverting Input) Second Order Lowpass", 7, 2, 3, true, "00,001,07,02,00,00,01,03,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SLP10", "SLP", 10, 20, 17, "Tow-Thomas (TT) Second Order Lowpass", 6, 2, 3, false, "00,001,06,02,01,00,00,03,00,00,00,00", "01,00,02,02,04,00,00,00,00,00,00,00"},
    {"SLP11", "SLP", 11, 21, 18, "Mikhael-Bhattacharyya (MB) Second Order Lowpass", 8, 2, 3, false, "00,001,08,02,00,00,00,03,00,00,00,00", "01,00,02,06,08,00,00,00,00,00,00,00"},
    {"SLP12", "SLP", 12, 22, 19, "Berka-Herpy (BH) Second Order Lowpass", 9, 2, 3, false, "00,001,09,02,00,00,01,03,00,00,00,00", "01,00,02,07,08,00,00,00,00,00,00,00"},
    {"SLP13", "SLP", 13, 23, 20, "Akerberg-Mossberg (AM) Second Order Lowpass ", 6, 2, 3, true, "00,001,06,02,00,00,00,03,00,01,00,00", "01,00,02,02,05,00,00,00,00,00,00,00"},
    {"SHP01", "SHP", 1, 26, 21, "Sallen-Key (SK) Second Order Highpass I", 2, 2, 1, false, "01,001,02,02,00,00,01,01,00,00,01,06", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SHP02", "SHP", 2, 27, 22, "Sallen-Key (SK) Second Order Highpass II", 4, 2, 1, false, "01,010,04,02,01,01,00,01,00,00,01,07", "01,00,02,01,02,00,00,00,00,00,00,10"},
    {"SHP03", "SHP", 3, 28, 23, "Multiple Feedback (MFB) Second Order Highpass", 2, 3, 1, true, "00,001,02,03,00,00,01,01,00,01,01,08", "01,00,02,01,02,00,00,00,00,00,00,10"},
    {"SHP04", "SHP", 4, 29, 24, "Fliege Second Order Highpass", 5, 2, 2, false, "00,001,05,02,00,00,01,02,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SHP05", "SHP", 5, 30, 25, "Twin-T Second Order Highpass", 5, 3, 2, false, "00,001,05,03,01,00,01,02,01,00,00,00", "01,00,03,01,02,03,00,00,03,00,00,00"},
    {"SHP06", "SHP", 6, 31, 26, "KHN (Non-Inverting Input) Second Order Highpass", 6, 2, 3, false, "00,001,06,02,00,00,01,03,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SHP07", "SHP", 7, 32, 27, "KHN (Inverting Input) Second Order Highpass", 7, 2, 3, true, "00,001,07,02,00,00,01,03,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SHP08", "SHP", 8, 33, 28, "Mikhael-Bhattacharyya (MB) Second Order Highpass", 8, 2, 3, false, "00,001,08,02,00,00,00,03,00,00,00,00", "01,00,02,05,08,00,00,00,00,00,00,00"},
    {"SHP09", "SHP", 9, 34, 29, "Berka-Herpy (BH) Second Order Highpass", 9, 2, 3, false, "00,001,09,02,00,00,01,03,00,00,00,00", "01,00,02,05,08,00,00,00,00,00,00,00"},
    {"SHP10", "SHP", 10, 35, 30, "Akerberg-Mossberg (AM) Second Order Highpass", 6, 3, 3, true, "00,001,06,03,00,00,00,03,00,01,00,00", "01,00,02,05,06,00,00,00,00,00,00,10"},
    {"SBP01", "SBP", 1, 41, 31, "Deliyannis Second Order Bandpass I", 2, 2, 1, true, "01,010,02,02,00,01,01,01,00,01,01,09", "11,00,02,01,02,00,00,00,00,00,00,10"},
    {"SBP02", "SBP", 2, 42, 32, "Deliyannis Second Order Bandpass II", 4, 2, 1, true, "01,001,04,02,01,00,00,01,00,01,01,10", "11,00,02,01,02,00,00,00,00,00,00,10"},
    {"SBP03", "SBP", 3, 43, 33, "Sallen-Key (SK) Second Order Bandpass", 5, 2, 1, false, "01,010,05,02,01,01,00,01,00,00,01,11", "01,00,03,01,02,03,00,00,03,00,00,00"},
    {"SBP04", "SBP", 4, 44, 34, "Multiple Feedback (MFB) Second Order Bandpass I", 3, 2, 1, true, "01,010,03,02,00,00,00,01,00,01,01,12", "01,00,03,01,02,03,00,00,03,00,00,00"},
    {"SBP05", "SBP", 5, 45, 35, "Multiple Feedback (MFB) Second Order Bandpass II", 5, 2, 1, true, "01,010,05,02,01,01,00,01,00,01,01,13", "01,00,03,01,02,03,00,00,03,00,00,00"},
    {"SBP06", "SBP", 6, 46, 36, "Fliege Second Order Bandpass", 5, 2, 2, false, "00,001,05,02,01,00,01,02,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SBP07", "SBP", 7, 47, 37, "Twin-T Second Order Bandpass", 5, 3, 2, true, "00,001,05,03,01,00,01,02,01,01,00,00", "01,00,03,01,02,03,00,00,03,00,00,00"},
    {"SBP08", "SBP", 8, 48, 38, "KHN (Non-Inverting Input) Second Order Bandpass", 6, 2, 3, true, "00,001,06,02,00,00,01,03,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SBP09", "SBP", 9, 49, 39, "KHN (Inverting Input) Second Order Bandpass", 7, 2, 3, false, "00,001,07,02,00,00,01,03,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SBP10", "SBP", 10, 50, 40, "Tow-Thomas (TT) Second Order Bandpass", 6, 2, 3, true, "00,001,06,02,01,00,00,03,00,01,00,00", "01,00,03,02,03,04,00,00,03,00,00,00"},
    {"SBP11", "SBP", 11, 51, 41, "Mikhael-Bhattacharyya (MB) Second Order Bandpass", 8, 2, 3, false, "00,001,08,02,00,00,00,03,00,00,00,00", "01,00,02,06,08,00,00,00,00,00,00,00"},
    {"SBP12", "SBP", 12, 52, 42, "Berka-Herpy (BH) Second Order Bandpass", 7, 2, 3, false, "00,001,07,02,00,00,00,03,00,00,00,00", "01,00,03,01,02,03,00,00,03,00,00,00"},
    {"SBP13", "SBP", 13, 53, 43, "Akerberg-Mossberg (AM) Second Order Bandpass", 6, 2, 3, true, "00,001,06,02,00,00,00,03,00,01,00,00", "01,00,03,01,02,05,00,00,03,00,00,00"},
    {"SLPN01", "SLPN", 1, 56, 44, "Friend's Single Amplifier Biquad (SAB) Second Order Lowpass Notch", 7, 2, 1, false, "01,001,07,02,00,00,00,01,00,00,01,14", "01,00,04,01,02,04,05,00,04,07,00,00"},
    {"SLPN02", "SLPN", 2, 57, 45, "Scultety Second Order Lowpass Notch", 5, 3, 1, false, "00,001,05,03,00,00,01,01,00,00,00,00", "01,00,04,01,02,04,05,00,04,07,00,10"},
    {"SLPN03", "SLPN", 3, 58, 46, "Boctor Second Order Lowpass Notch", 6, 2, 1, false, "00,000,06,02,01,00,01,01,00,00,01,15", "01,00,04,01,02,03,04,00,04,07,00,00"},
    {"SLPN04", "SLPN", 4, 59, 47, "Fliege Second Order Lowpass Notch", 6, 3, 2, false, "00,001,06,03,00,00,01,02,00,00,00,00", "01,00,03,02,03,05,00,00,04,00,00,00"},
    {"SLPN05", "SLPN", 5, 60, 48, "Twin-T Second Order Lowpass Notch", 5, 4, 2, false, "00,002,05,04,01,00,01,02,01,00,00,00", "01,00,03,01,02,03,00,00,04,05,00,00"},
    {"SLPN06", "SLPN", 6, 61, 49, "KHN (Non-Inverting Input) Second Order Lowpass Notch", 9, 2, 4, true, "00,001,09,02,00,00,00,04,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SLPN07", "SLPN", 7, 62, 50, "KHN (Inverting Input) Second Order Lowpass Notch", 10, 2, 4, false, "00,001,10,02,00,00,00,04,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SLPN08", "SLPN", 8, 63, 51, "Mikhael-Bhattacharyya (MB) Second Order Lowpass Notch", 9, 2, 3, false, "00,001,09,02,00,00,00,03,00,00,00,00", "01,00,02,06,09,00,00,00,00,00,00,00"},
    {"SLPN09", "SLPN", 9, 64, 52, "Berka-Herpy (BH) Second Order Lowpass Notch", 9, 2, 3, false, "00,001,09,02,00,00,01,03,00,00,00,00", "01,00,04,06,07,08,09,00,04,07,00,00"},
    {"SLPN10", "SLPN", 10, 65, 53, "Akerberg-Mossberg (AM) Second Order Lowpass Notch", 7, 3, 3, true, "00,001,07,03,00,00,00,03,00,01,00,00", "01,00,03,01,02,05,00,00,04,00,00,10"},
    {"SHPN01", "SHPN", 1, 71, 54, "Friend's Single Amplifier Biquad (SAB) Second Order Highpass Notch", 7, 2, 1, false, "01,001,07,02,00,00,00,01,00,00,01,16", "01,00,04,01,02,04,05,00,04,07,00,00"},
    {"SHPN02", "SHPN", 2, 72, 55, "Scultety Second Order Highpass Notch", 6, 2, 1, false, "00,001,06,02,00,00,01,01,00,00,00,00", "01,00,04,01,02,03,04,00,03,04,00,00"},
    {"SHPN03", "SHPN", 3, 73, 56, "Fliege Second Order Highpass Notch", 7, 2, 2, false, "00,001,07,02,00,00,01,02,00,00,00,00", "01,00,04,01,02,03,04,00,04,07,00,00"},
    {"SHPN04", "SHPN", 4, 74, 57, "Twin-T Second Order Highpass Notch", 7, 3, 2, false, "00,001,07,03,01,00,01,02,01,00,00,00", "01,00,04,02,03,04,05,00,03,04,00,01"},
    {"SHPN05", "SHPN", 5, 75, 58, "KHN (Non-Inverting Input) Second Order Highpass Notch", 9, 2, 4, true, "00,001,09,02,00,00,00,04,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SHPN06", "SHPN", 6, 76, 59, "KHN (Inverting Input) Second Order Highpass Notch", 10, 2, 4, false, "00,001,10,02,00,00,00,04,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SHPN07", "SHPN", 7, 77, 60, "Mikhael-Bhattacharyya (MB) Second Order Highpass Notch", 9, 2, 3, false, "00,001,09,02,00,00,00,03,00,00,00,00", "01,00,02,06,09,00,00,00,00,00,00,00"},
    {"SHPN08", "SHPN", 8, 78, 61, "Berka-Herpy (BH) Second Order Highpass Notch", 9, 2, 3, false, "00,001,09,02,00,00,01,03,00,00,00,00", "01,00,03,01,06,07,00,00,07,00,00,00"},
    {"SHPN09", "SHPN", 9, 79, 62, "Akerberg-Mossberg (AM) Second Order Highpass Notch", 7, 3, 3, true, "00,001,07,03,00,00,00,03,00,01,00,00", "01,00,03,01,02,05,00,00,04,00,00,10"},
    {"SN01", "SN", 1, 86, 63, "Sallen-Key (SK) Second Order Notch", 5, 3, 1, false, "01,001,05,03,01,00,01,01,01,00,00,00", "01,00,03,01,02,03,00,00,04,00,00,00"},
    {"SN02", "SN", 2, 87, 64, "Fliege Second Order Notch", 6, 2, 2, false, "00,001,06,02,00,00,01,02,00,00,00,00", "01,00,04,01,02,04,05,00,04,07,00,00"},
    {"SN03", "SN", 3, 88, 65, "Twin-T Second Order Notch I", 5, 3, 2, false, "00,001,05,03,01,00,01,02,01,00,00,00", "01,00,03,01,02,03,00,00,07,00,00,00"},
    {"SN04", "SN", 4, 89, 66, "Twin-T Second Order Notch II", 5, 3, 2, false, "00,001,05,03,01,00,01,02,01,00,00,00", "01,00,03,01,02,03,00,00,07,00,00,00"},
    {"SN05", "SN", 5, 90, 67, "KHN (Non-Inverting Input) Second Order Notch", 9, 2, 4, true, "00,001,09,02,00,00,00,04,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SN06", "SN", 6, 91, 68, "KHN (Inverting Input) Second Order Notch", 10, 2, 4, false, "00,001,10,02,00,00,00,04,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},
    {"SN07", "SN", 7, 92, 69, "Mikhael-Bhattacharyya (MB) Second Order Notch", 9, 2, 3, false, "00,001,09,02,00,00,00,03,00,00,00,00", "01,00,02,06,09,00,00,00,00,00,00,00"},
    {"SN08", "SN", 8, 93, 70, "Berka-Herpy (BH) Second Order Notch", 10, 2, 3, false, "00,001,10,02,00,00,01,03,00,00,00,00", "01,00,04,07,08,09,10,00,04,07,00,00"},
    {"SN09", "SN", 9, 94, 71, "Akerberg-Mossberg (AM) Second Order Notch", 7, 3, 3, true, "00,001,07,03,00,00,00,03,00,01,00,00", "01,00,03,01,02,05,00,00,04,00,00,10"},
};
// clang-format on

int TypeOfLetters(const std::string& letters) {
  for (int t = 0; t < kStageTypeCount; ++t) {
    if (TypeLetters(t) == letters) return t;
  }
  return -1;
}

TEST(CatalogueTest, EveryCircuitMatchesItsTableRow) {
  ASSERT_EQ(std::size(kRows), static_cast<std::size_t>(kCatalogueSize));
  for (const CatalogueRow& row : kRows) {
    SCOPED_TRACE(row.key);
    const int type = TypeOfLetters(row.type);
    ASSERT_GE(type, 0);
    EXPECT_EQ(CircuitKey(type, row.number), row.key);
    EXPECT_EQ(CircuitIdOf(type, row.number), row.id);
    EXPECT_EQ(IdBase(type) + row.number, row.id);
    EXPECT_EQ(CatalogueIndex(type, row.number), row.index);
    EXPECT_EQ(Caption(row.index), row.caption);

    const CircuitDescriptor& d = Descriptor(row.id);
    EXPECT_EQ(d.text, row.descriptor);
    EXPECT_EQ(d.resistors, row.resistors);
    EXPECT_EQ(d.capacitors, row.capacitors);
    EXPECT_EQ(d.opAmps, row.opAmps);
    EXPECT_EQ(d.inverting, row.inverting);
    EXPECT_EQ(AdjustDescriptor(row.id).text, row.adjust);
    EXPECT_EQ(&AdjustDescriptorOf(row.id), &AdjustDescriptor(row.id));

    const output::NetlistTemplate* t = output::FindTemplate(output::TemplateSet::Standard, row.key);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(static_cast<int>(t->resistors.size()), row.resistors);
    EXPECT_EQ(static_cast<int>(t->capacitors.size()), row.capacitors);
    EXPECT_EQ(static_cast<int>(t->opAmps.size()), row.opAmps);

    for (const CircuitAddress& a : {AddressOfId(row.id), AddressOfIndex(row.index), AddressOfKey(row.key)}) {
      EXPECT_EQ(a.stageType, type);
      EXPECT_EQ(a.number, row.number);
      EXPECT_EQ(a.circuitId, row.id);
      EXPECT_EQ(a.catalogueIndex, row.index);
    }
  }
}

TEST(CatalogueTest, TypesHaveTheirBasesCountsAndCodes) {
  const int bases[] = {0, 5, 10, 25, 40, 55, 70, 85};
  const int offsets[] = {0, 3, 7, 20, 30, 43, 53, 62};
  const int counts[] = {3, 4, 13, 10, 13, 10, 9, 9};
  const char* codes[] = {"FLP ", "FHP ", "SLP ", "SHP ", "SBP ", "SLPN", "SHPN", "SN  "};
  for (int t = 0; t < kStageTypeCount; ++t) {
    SCOPED_TRACE(t);
    EXPECT_EQ(IdBase(t), bases[t]);
    EXPECT_EQ(CatalogueIndex(t, 1), offsets[t] + 1);
    EXPECT_EQ(CircuitCount(t), counts[t]);
    EXPECT_EQ(TypeCode(t), codes[t]);
    EXPECT_EQ(TypeCode(t).size(), 4u);
    // Bit 7 of the type byte is a flag of its own.
    EXPECT_EQ(IdBase(t | 0x80), bases[t]);
    EXPECT_EQ(CatalogueIndex(t | 0x80, counts[t]), offsets[t] + counts[t]);
    EXPECT_EQ(CircuitCount(t | 0x80), counts[t]);
    EXPECT_EQ(TypeCode(t | 0x80), codes[t]);
    EXPECT_EQ(CircuitKey(t | 0x80, 1), CircuitKey(t, 1));
  }
  EXPECT_EQ(CatalogueIndex(core::ptSN, 9), 71);
  EXPECT_EQ(CircuitKey(core::ptSLPN, 10), "SLPN10");
}

TEST(CatalogueTest, AddressesOutsideTheCatalogueAreRejected) {
  EXPECT_EQ(CatalogueIndex(core::ptSLP, 0), 0);
  EXPECT_EQ(CatalogueIndex(core::ptSLP, 14), 0);
  EXPECT_EQ(CircuitIdOf(core::ptFLP, 4), 0);
  EXPECT_EQ(CircuitKey(core::ptSN, 10), "");
  EXPECT_EQ(CircuitCount(8), 0);
  EXPECT_EQ(TypeCode(8), "");
  EXPECT_EQ(Caption(0), "");
  EXPECT_EQ(Caption(72), "");
  for (int id : {0, 4, 5, 10, 24, 36, 54, 66, 80, 95}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(IsValidCircuitId(id));
    EXPECT_THROW(Descriptor(id), std::out_of_range);
    EXPECT_THROW(AdjustDescriptor(id), std::out_of_range);
  }
  EXPECT_FALSE(AddressOfKey("SLP14").valid());
  EXPECT_FALSE(AddressOfKey("XYZ01").valid());
  EXPECT_FALSE(AddressOfKey("SLP1").valid());
  EXPECT_FALSE(AddressOfIndex(72).valid());
}

TEST(CatalogueTest, CaptionsKeepTheirTrailingBlanks) {
  EXPECT_EQ(Caption(12), "Fliege Second Order Lowpass ");
  EXPECT_EQ(Caption(20), "Akerberg-Mossberg (AM) Second Order Lowpass ");
}

TEST(CatalogueTest, DescriptorFieldsAreReadByPosition) {
  // Every field distinct, so that a field read from the wrong place shows.
  const CircuitDescriptor d = ParseCircuitDescriptor("01,100,07,03,01,00,01,04,01,00,01,16");
  EXPECT_EQ(d.c2Only, 1);
  EXPECT_DOUBLE_EQ(d.ratio, 100.0);
  EXPECT_EQ(d.resistors, 7);
  EXPECT_EQ(d.capacitors, 3);
  EXPECT_TRUE(d.scalePair);
  EXPECT_FALSE(d.c2VariableAvailable);
  EXPECT_TRUE(d.gainConstrained);
  EXPECT_EQ(d.opAmps, 4);
  EXPECT_TRUE(d.cubic);
  EXPECT_FALSE(d.inverting);
  EXPECT_TRUE(d.activeCompAvailable);
  EXPECT_EQ(d.activeCompSchematic, 16);

  const CircuitDescriptor e = ParseCircuitDescriptor("00,002,10,04,00,01,00,03,00,01,00,00");
  EXPECT_EQ(e.c2Only, 0);
  EXPECT_DOUBLE_EQ(e.ratio, 2.0);
  EXPECT_EQ(e.resistors, 10);
  EXPECT_EQ(e.capacitors, 4);
  EXPECT_FALSE(e.scalePair);
  EXPECT_TRUE(e.c2VariableAvailable);
  EXPECT_FALSE(e.gainConstrained);
  EXPECT_EQ(e.opAmps, 3);
  EXPECT_FALSE(e.cubic);
  EXPECT_TRUE(e.inverting);
  EXPECT_FALSE(e.activeCompAvailable);
  EXPECT_EQ(e.activeCompSchematic, 0);
}

TEST(CatalogueTest, AdjustmentFieldsAreReadByPosition) {
  // SLPN09: four re-solved resistors and two held codes.
  const AdjustmentDescriptor& a = AdjustDescriptor(64);
  EXPECT_EQ(a.mode, 1);
  EXPECT_EQ(a.circuitSwitch, 0);
  EXPECT_EQ(a.resolvedCount, 4);
  EXPECT_EQ(a.resolved, (std::array<int, 5>{6, 7, 8, 9, 0}));
  EXPECT_EQ(a.heldCodes, (std::array<int, 3>{4, 7, 0}));
  EXPECT_FALSE(a.reportGainChange);
  EXPECT_FALSE(a.capacitorCoupling);

  EXPECT_EQ(AdjustDescriptor(41).mode, 11);             // SBP01, Deliyannis
  EXPECT_TRUE(AdjustDescriptor(41).reportGainChange);   // "10"
  EXPECT_EQ(AdjustDescriptor(16).circuitSwitch, 1);     // SLP06
  EXPECT_TRUE(AdjustDescriptor(74).capacitorCoupling);  // SHPN04, "01"
  EXPECT_FALSE(AdjustDescriptor(74).reportGainChange);
  EXPECT_EQ(AdjustDescriptor(60).heldCodes, (std::array<int, 3>{4, 5, 0}));  // SLPN05
}

TEST(CatalogueTest, OnlyTheDeliyannisPairAndSlp06AdjustSpecially) {
  std::vector<std::string> mode11, switched;
  for (int i = 1; i <= kCatalogueSize; ++i) {
    const CircuitAddress a = AddressOfIndex(i);
    const std::string key = CircuitKey(a.stageType, a.number);
    if (AdjustDescriptor(a.circuitId).mode == 11) mode11.push_back(key);
    if (AdjustDescriptor(a.circuitId).circuitSwitch == 1) switched.push_back(key);
    EXPECT_GE(AdjustDescriptor(a.circuitId).resolvedCount, 1) << key;
    EXPECT_LE(AdjustDescriptor(a.circuitId).resolvedCount, 4) << key;
  }
  EXPECT_EQ(mode11, (std::vector<std::string>{"SBP01", "SBP02"}));
  EXPECT_EQ(switched, (std::vector<std::string>{"SLP06"}));
}

// The circuit attributes the analysis relies on, as the analysis lists them.
TEST(CatalogueTest, CubicAndInvertingCircuitsAreTheAnalysisLists) {
  const std::vector<std::string> cubic = {"SLP07",  "SHP05", "SBP07", "SLPN05",
                                          "SHPN04", "SN01",  "SN03",  "SN04"};
  const std::vector<std::string> inverting = {"FLP03",  "FHP03",  "FHP04",  "SLP03",  "SLP04", "SLP09",
                                              "SLP13",  "SHP03",  "SHP07",  "SHP10",  "SBP01", "SBP02",
                                              "SBP04",  "SBP05",  "SBP07",  "SBP08",  "SBP10", "SBP13",
                                              "SLPN06", "SLPN10", "SHPN05", "SHPN09", "SN05",  "SN09"};
  std::vector<std::string> gotCubic, gotInverting;
  for (int i = 1; i <= kCatalogueSize; ++i) {
    const CircuitAddress a = AddressOfIndex(i);
    if (Descriptor(a.circuitId).cubic) gotCubic.push_back(CircuitKey(a.stageType, a.number));
    if (Descriptor(a.circuitId).inverting) {
      gotInverting.push_back(CircuitKey(a.stageType, a.number));
    }
  }
  EXPECT_EQ(gotCubic, cubic);
  EXPECT_EQ(gotInverting, inverting);
}

TEST(CatalogueTest, ActiveCompensationSchematicsBelongInOrder) {
  const char* owners[] = {"SLP01", "SLP02", "SLP03", "SLP04", "SLP06", "SHP01",  "SHP02",  "SHP03",
                          "SBP01", "SBP02", "SBP03", "SBP04", "SBP05", "SLPN01", "SLPN03", "SHPN01"};
  for (int k = 1; k <= kActiveCompSchematics; ++k) {
    const CircuitAddress a = ActiveCompSchematicOwner(k);
    ASSERT_TRUE(a.valid()) << k;
    EXPECT_EQ(CircuitKey(a.stageType, a.number), owners[k - 1]);
    EXPECT_TRUE(Descriptor(a.circuitId).activeCompAvailable);
  }
  EXPECT_FALSE(ActiveCompSchematicOwner(0).valid());
  EXPECT_FALSE(ActiveCompSchematicOwner(17).valid());
  int available = 0;
  for (int i = 1; i <= kCatalogueSize; ++i) {
    const CircuitDescriptor& d = Descriptor(AddressOfIndex(i).circuitId);
    if (d.activeCompAvailable) ++available;
    EXPECT_EQ(d.activeCompAvailable, d.activeCompSchematic != 0) << i;
  }
  EXPECT_EQ(available, kActiveCompSchematics);
}

TEST(CatalogueTest, EqualComponentsAreOfferedForSlp02AndShp02Only) {
  std::vector<std::string> offered;
  for (int i = 1; i <= kCatalogueSize; ++i) {
    const CircuitAddress a = AddressOfIndex(i);
    if (EqualComponentsOffered(Descriptor(a.circuitId))) {
      offered.push_back(CircuitKey(a.stageType, a.number));
    }
  }
  EXPECT_EQ(offered, (std::vector<std::string>{"SLP02", "SHP02"}));
}

TEST(CatalogueTest, InitialRatiosAreTheOnesTheSetUpKnows) {
  for (int i = 1; i <= kCatalogueSize; ++i) {
    const CircuitDescriptor& d = Descriptor(AddressOfIndex(i).circuitId);
    const double m = d.ratio;
    EXPECT_TRUE(m == 0 || m == 1 || m == 2 || m == 10 || m == 100) << i << ": " << m;
    // A circuit without a second capacitor has no ratio to start from.
    if (d.capacitors < 2) {
      EXPECT_EQ(m, 0) << i;
    }
  }
}

}  // namespace
}  // namespace tavrin::circuits
