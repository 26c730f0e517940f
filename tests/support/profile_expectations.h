#pragma once

#include <QString>
#include <QStringList>

// What a firmware build does to the main window, as the identification tests
// expect it: the controls it enables or disables and the bit names of the two
// extended-register lists.
namespace lintari::testing_support::expected {

inline const QString kUnsupported = QStringLiteral("данная версия микропрограммы не поддерживается");

// The controls whose enabled state depends on the firmware build.
inline const QStringList kWatched{"GroupBox1", "GroupBox3",    "SpeedButton2", "SpeedButton7", "Button1",
                           "TabSheet2", "LMDGroupBox2", "GroupBox4",    "RxSlider2"};
inline const QStringList kProfileSet{"GroupBox1", "GroupBox3", "SpeedButton2", "SpeedButton7",
                              "Button1",   "TabSheet2", "LMDGroupBox2"};

// The bit names of the two lists, bit 0 first.
inline const QStringList kDesignS216{"Dis. Power Drop", "Dis. 15 dB txlevel", "Dis. offset",   "not used",
                              "not used",        "Noise Filters",      "Noise Filters", "Max speed"};
inline const QStringList kS216A{"Dis. Power Drop", "Dis. 15 dB txlevel", "Dis. offset",  "Test",
                         "Not used",        "Not used",           "Noise filter", "Noise filter"};
inline const QStringList kS216B{"Dis. Power Drop", "Dis. 15 dB txlevel", "Dis. offset", "Test", "Test",
                         "Noise filter",    "Noise filter",       "Max speed"};
inline const QStringList kDesignSecond{"listen renegs", "show renegs", "disabled", "disabled",
                                "disabled",      "disabled",    "disabled", "disabled"};
inline const QStringList kS17A{"Mute All", "Listen renegs", "Show renegs", "Not used",
                        "Not used", "Not used",      "Not used",    "Not used"};
inline const QStringList kS218A{"Listen renegs", "Show renegs", "Test speed", "Mute All",
                         "Not used",      "Not used",    "Not used",   "Not used"};
inline const QStringList kS218B{"Listen renegs", "Show renegs",   "Mute",     "Noise filter",
                         "ForceFB test1", "ForceFB test2", "Not used", "Not used"};
inline const QStringList kS218C{"Listen renegs", "Show renegs", "Not used", "Not used",
                         "Not used",      "Not used",    "Not used", "Not used"};
inline const QStringList kS218D{"Listen renegs", "Show renegs", "Not used", "Force FallBack",
                         "Not used",      "Not used",    "Not used", "Not used"};
inline const QStringList kS218E{"Listen renegs", "Show renegs", "Test speed", "Force FallBack",
                         "Not used",      "Not used",    "Not used",   "Not used"};
inline const QStringList kS218F{"Listen renegs", "Show renegs", "Reserved", "Force FallBack",
                         "Not used",      "Not used",    "Not used", "Not used"};

}  // namespace lintari::testing_support::expected
