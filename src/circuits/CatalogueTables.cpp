// The catalogue's text tables: captions in CatalogueIndex order, and the two descriptor
// rows of every circuit keyed by CircuitId.  The texts are the program's own and are
// kept exactly as stored, blanks included.
#include "circuits/CatalogueTables.h"

namespace tavrin::circuits::tables {

// Entry 0 is unused so that entry i belongs to CatalogueIndex i.
// clang-format off
const std::array<const char*, kCatalogueSize + 1> kCaptions = {
    "",
    "First Order Lowpass I",  // FLP01
    "First Order Lowpass II",  // FLP02
    "First Order Lowpass III",  // FLP03
    "First Order Highpass I",  // FHP01
    "First Order Highpass II",  // FHP02
    "First Order Highpass III",  // FHP03
    "First Order Highpass IV",  // FHP04
    "Sallen-Key (SK) Second Order Lowpass I",  // SLP01
    "Sallen-Key (SK) Second Order Lowpass II",  // SLP02
    "Multiple Feedback (MFB) Second Order Lowpass I",  // SLP03
    "Multiple Feedback (MFB) Second Order Lowpass II",  // SLP04
    "Fliege Second Order Lowpass ",  // SLP05
    "Bach Second Order Lowpass",  // SLP06
    "Twin-T Second Order Lowpass",  // SLP07
    "KHN (Non-Inverting Input) Second Order Lowpass",  // SLP08
    "KHN (Inverting Input) Second Order Lowpass",  // SLP09
    "Tow-Thomas (TT) Second Order Lowpass",  // SLP10
    "Mikhael-Bhattacharyya (MB) Second Order Lowpass",  // SLP11
    "Berka-Herpy (BH) Second Order Lowpass",  // SLP12
    "Akerberg-Mossberg (AM) Second Order Lowpass ",  // SLP13
    "Sallen-Key (SK) Second Order Highpass I",  // SHP01
    "Sallen-Key (SK) Second Order Highpass II",  // SHP02
    "Multiple Feedback (MFB) Second Order Highpass",  // SHP03
    "Fliege Second Order Highpass",  // SHP04
    "Twin-T Second Order Highpass",  // SHP05
    "KHN (Non-Inverting Input) Second Order Highpass",  // SHP06
    "KHN (Inverting Input) Second Order Highpass",  // SHP07
    "Mikhael-Bhattacharyya (MB) Second Order Highpass",  // SHP08
    "Berka-Herpy (BH) Second Order Highpass",  // SHP09
    "Akerberg-Mossberg (AM) Second Order Highpass",  // SHP10
    "Deliyannis Second Order Bandpass I",  // SBP01
    "Deliyannis Second Order Bandpass II",  // SBP02
    "Sallen-Key (SK) Second Order Bandpass",  // SBP03
    "Multiple Feedback (MFB) Second Order Bandpass I",  // SBP04
    "Multiple Feedback (MFB) Second Order Bandpass II",  // SBP05
    "Fliege Second Order Bandpass",  // SBP06
    "Twin-T Second Order Bandpass",  // SBP07
    "KHN (Non-Inverting Input) Second Order Bandpass",  // SBP08
    "KHN (Inverting Input) Second Order Bandpass",  // SBP09
    "Tow-Thomas (TT) Second Order Bandpass",  // SBP10
    "Mikhael-Bhattacharyya (MB) Second Order Bandpass",  // SBP11
    "Berka-Herpy (BH) Second Order Bandpass",  // SBP12
    "Akerberg-Mossberg (AM) Second Order Bandpass",  // SBP13
    "Friend's Single Amplifier Biquad (SAB) Second Order Lowpass Notch",  // SLPN01
    "Scultety Second Order Lowpass Notch",  // SLPN02
    "Boctor Second Order Lowpass Notch",  // SLPN03
    "Fliege Second Order Lowpass Notch",  // SLPN04
    "Twin-T Second Order Lowpass Notch",  // SLPN05
    "KHN (Non-Inverting Input) Second Order Lowpass Notch",  // SLPN06
    "KHN (Inverting Input) Second Order Lowpass Notch",  // SLPN07
    "Mikhael-Bhattacharyya (MB) Second Order Lowpass Notch",  // SLPN08
    "Berka-Herpy (BH) Second Order Lowpass Notch",  // SLPN09
    "Akerberg-Mossberg (AM) Second Order Lowpass Notch",  // SLPN10
    "Friend's Single Amplifier Biquad (SAB) Second Order Highpass Notch",  // SHPN01
    "Scultety Second Order Highpass Notch",  // SHPN02
    "Fliege Second Order Highpass Notch",  // SHPN03
    "Twin-T Second Order Highpass Notch",  // SHPN04
    "KHN (Non-Inverting Input) Second Order Highpass Notch",  // SHPN05
    "KHN (Inverting Input) Second Order Highpass Notch",  // SHPN06
    "Mikhael-Bhattacharyya (MB) Second Order Highpass Notch",  // SHPN07
    "Berka-Herpy (BH) Second Order Highpass Notch",  // SHPN08
    "Akerberg-Mossberg (AM) Second Order Highpass Notch",  // SHPN09
    "Sallen-Key (SK) Second Order Notch",  // SN01
    "Fliege Second Order Notch",  // SN02
    "Twin-T Second Order Notch I",  // SN03
    "Twin-T Second Order Notch II",  // SN04
    "KHN (Non-Inverting Input) Second Order Notch",  // SN05
    "KHN (Inverting Input) Second Order Notch",  // SN06
    "Mikhael-Bhattacharyya (MB) Second Order Notch",  // SN07
    "Berka-Herpy (BH) Second Order Notch",  // SN08
    "Akerberg-Mossberg (AM) Second Order Notch",  // SN09
};

const std::array<DescriptorRow, kCatalogueSize> kDescriptorRows = {{
    {1, "00,000,01,01,00,00,01,01,00,00,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},  // FLP01
    {2, "00,000,03,01,01,00,00,01,00,00,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},  // FLP02
    {3, "00,000,02,01,00,00,00,01,00,01,00,00", "01,00,01,02,00,00,00,00,00,00,00,00"},  // FLP03
    {6, "00,000,01,01,00,00,01,01,00,00,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},  // FHP01
    {7, "00,000,03,01,01,00,00,01,00,00,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},  // FHP02
    {8, "00,000,01,02,00,00,00,01,00,01,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},  // FHP03
    {9, "00,000,02,01,00,00,00,01,00,01,00,00", "01,00,01,01,00,00,00,00,00,00,00,00"},  // FHP04
    {11, "01,001,02,02,00,01,01,01,00,00,01,01", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SLP01
    {12, "01,010,04,02,01,01,01,01,00,00,01,02", "01,00,03,01,02,03,00,00,03,00,00,10"},  // SLP02
    {13, "00,100,03,02,00,00,00,01,00,01,01,03", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SLP03
    {14, "01,010,05,02,01,00,00,01,00,01,01,04", "01,00,03,01,02,03,00,00,03,00,00,00"},  // SLP04
    {15, "00,001,05,02,00,00,01,02,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SLP05
    {16, "01,010,02,02,00,00,01,02,00,00,01,05", "01,01,02,01,02,00,00,00,00,00,00,00"},  // SLP06
    {17, "00,001,05,03,01,00,01,02,01,00,00,00", "01,00,03,01,02,03,00,00,03,00,00,00"},  // SLP07
    {18, "00,001,06,02,00,00,01,03,00,00,00,00", "01,00,03,02,03,06,00,00,03,00,00,00"},  // SLP08
    {19, "00,001,07,02,00,00,01,03,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SLP09
    {20, "00,001,06,02,01,00,00,03,00,00,00,00", "01,00,02,02,04,00,00,00,00,00,00,00"},  // SLP10
    {21, "00,001,08,02,00,00,00,03,00,00,00,00", "01,00,02,06,08,00,00,00,00,00,00,00"},  // SLP11
    {22, "00,001,09,02,00,00,01,03,00,00,00,00", "01,00,02,07,08,00,00,00,00,00,00,00"},  // SLP12
    {23, "00,001,06,02,00,00,00,03,00,01,00,00", "01,00,02,02,05,00,00,00,00,00,00,00"},  // SLP13
    {26, "01,001,02,02,00,00,01,01,00,00,01,06", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SHP01
    {27, "01,010,04,02,01,01,00,01,00,00,01,07", "01,00,02,01,02,00,00,00,00,00,00,10"},  // SHP02
    {28, "00,001,02,03,00,00,01,01,00,01,01,08", "01,00,02,01,02,00,00,00,00,00,00,10"},  // SHP03
    {29, "00,001,05,02,00,00,01,02,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SHP04
    {30, "00,001,05,03,01,00,01,02,01,00,00,00", "01,00,03,01,02,03,00,00,03,00,00,00"},  // SHP05
    {31, "00,001,06,02,00,00,01,03,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SHP06
    {32, "00,001,07,02,00,00,01,03,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SHP07
    {33, "00,001,08,02,00,00,00,03,00,00,00,00", "01,00,02,05,08,00,00,00,00,00,00,00"},  // SHP08
    {34, "00,001,09,02,00,00,01,03,00,00,00,00", "01,00,02,05,08,00,00,00,00,00,00,00"},  // SHP09
    {35, "00,001,06,03,00,00,00,03,00,01,00,00", "01,00,02,05,06,00,00,00,00,00,00,10"},  // SHP10
    {41, "01,010,02,02,00,01,01,01,00,01,01,09", "11,00,02,01,02,00,00,00,00,00,00,10"},  // SBP01
    {42, "01,001,04,02,01,00,00,01,00,01,01,10", "11,00,02,01,02,00,00,00,00,00,00,10"},  // SBP02
    {43, "01,010,05,02,01,01,00,01,00,00,01,11", "01,00,03,01,02,03,00,00,03,00,00,00"},  // SBP03
    {44, "01,010,03,02,00,00,00,01,00,01,01,12", "01,00,03,01,02,03,00,00,03,00,00,00"},  // SBP04
    {45, "01,010,05,02,01,01,00,01,00,01,01,13", "01,00,03,01,02,03,00,00,03,00,00,00"},  // SBP05
    {46, "00,001,05,02,01,00,01,02,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SBP06
    {47, "00,001,05,03,01,00,01,02,01,01,00,00", "01,00,03,01,02,03,00,00,03,00,00,00"},  // SBP07
    {48, "00,001,06,02,00,00,01,03,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SBP08
    {49, "00,001,07,02,00,00,01,03,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SBP09
    {50, "00,001,06,02,01,00,00,03,00,01,00,00", "01,00,03,02,03,04,00,00,03,00,00,00"},  // SBP10
    {51, "00,001,08,02,00,00,00,03,00,00,00,00", "01,00,02,06,08,00,00,00,00,00,00,00"},  // SBP11
    {52, "00,001,07,02,00,00,00,03,00,00,00,00", "01,00,03,01,02,03,00,00,03,00,00,00"},  // SBP12
    {53, "00,001,06,02,00,00,00,03,00,01,00,00", "01,00,03,01,02,05,00,00,03,00,00,00"},  // SBP13
    {56, "01,001,07,02,00,00,00,01,00,00,01,14", "01,00,04,01,02,04,05,00,04,07,00,00"},  // SLPN01
    {57, "00,001,05,03,00,00,01,01,00,00,00,00", "01,00,04,01,02,04,05,00,04,07,00,10"},  // SLPN02
    {58, "00,000,06,02,01,00,01,01,00,00,01,15", "01,00,04,01,02,03,04,00,04,07,00,00"},  // SLPN03
    {59, "00,001,06,03,00,00,01,02,00,00,00,00", "01,00,03,02,03,05,00,00,04,00,00,00"},  // SLPN04
    {60, "00,002,05,04,01,00,01,02,01,00,00,00", "01,00,03,01,02,03,00,00,04,05,00,00"},  // SLPN05
    {61, "00,001,09,02,00,00,00,04,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SLPN06
    {62, "00,001,10,02,00,00,00,04,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SLPN07
    {63, "00,001,09,02,00,00,00,03,00,00,00,00", "01,00,02,06,09,00,00,00,00,00,00,00"},  // SLPN08
    {64, "00,001,09,02,00,00,01,03,00,00,00,00", "01,00,04,06,07,08,09,00,04,07,00,00"},  // SLPN09
    {65, "00,001,07,03,00,00,00,03,00,01,00,00", "01,00,03,01,02,05,00,00,04,00,00,10"},  // SLPN10
    {71, "01,001,07,02,00,00,00,01,00,00,01,16", "01,00,04,01,02,04,05,00,04,07,00,00"},  // SHPN01
    {72, "00,001,06,02,00,00,01,01,00,00,00,00", "01,00,04,01,02,03,04,00,03,04,00,00"},  // SHPN02
    {73, "00,001,07,02,00,00,01,02,00,00,00,00", "01,00,04,01,02,03,04,00,04,07,00,00"},  // SHPN03
    {74, "00,001,07,03,01,00,01,02,01,00,00,00", "01,00,04,02,03,04,05,00,03,04,00,01"},  // SHPN04
    {75, "00,001,09,02,00,00,00,04,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SHPN05
    {76, "00,001,10,02,00,00,00,04,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SHPN06
    {77, "00,001,09,02,00,00,00,03,00,00,00,00", "01,00,02,06,09,00,00,00,00,00,00,00"},  // SHPN07
    {78, "00,001,09,02,00,00,01,03,00,00,00,00", "01,00,03,01,06,07,00,00,07,00,00,00"},  // SHPN08
    {79, "00,001,07,03,00,00,00,03,00,01,00,00", "01,00,03,01,02,05,00,00,04,00,00,10"},  // SHPN09
    {86, "01,001,05,03,01,00,01,01,01,00,00,00", "01,00,03,01,02,03,00,00,04,00,00,00"},  // SN01
    {87, "00,001,06,02,00,00,01,02,00,00,00,00", "01,00,04,01,02,04,05,00,04,07,00,00"},  // SN02
    {88, "00,001,05,03,01,00,01,02,01,00,00,00", "01,00,03,01,02,03,00,00,07,00,00,00"},  // SN03
    {89, "00,001,05,03,01,00,01,02,01,00,00,00", "01,00,03,01,02,03,00,00,07,00,00,00"},  // SN04
    {90, "00,001,09,02,00,00,00,04,00,01,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SN05
    {91, "00,001,10,02,00,00,00,04,00,00,00,00", "01,00,02,01,02,00,00,00,00,00,00,00"},  // SN06
    {92, "00,001,09,02,00,00,00,03,00,00,00,00", "01,00,02,06,09,00,00,00,00,00,00,00"},  // SN07
    {93, "00,001,10,02,00,00,01,03,00,00,00,00", "01,00,04,07,08,09,10,00,04,07,00,00"},  // SN08
    {94, "00,001,07,03,00,00,00,03,00,01,00,00", "01,00,03,01,02,05,00,00,04,00,00,10"},  // SN09
}};
// clang-format on

}  // namespace tavrin::circuits::tables
