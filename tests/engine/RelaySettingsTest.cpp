// The relay's side file as a user may leave it after editing it by hand.
#include <gtest/gtest.h>

#include "RelaySettings.h"

namespace Tavrune::Test {
namespace {

TEST(RelaySettingsTest, ReadsModeAndEngineWhateverTheEditorDidToTheFile) {
  struct Case {
    const char* text;
    const char* mode;
    const char* engine;
  };
  const Case cases[] = {
      {"mode=uci\nengine=fairy-stockfish.exe\n", "uci", "fairy-stockfish.exe"},
      // Notepad: a byte-order mark, CR LF line ends, no line end at the close.
      {"\xEF\xBB\xBFmode=ucci\r\nengine=C:\\象棋\\engine one.exe", "ucci", "C:\\象棋\\engine one.exe"},
      {"# stand-in\n\n  mode = uci  \nsize=3\nengine =a=b.exe\n", "uci", "a=b.exe"},
      {"engine\nmode:uci\n", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    const RelaySettings settings = RelaySettings::parse(c.text);
    EXPECT_EQ(settings.mode, c.mode) << c.text;
    EXPECT_EQ(settings.engine, c.engine) << c.text;
  }
}

}  // namespace
}  // namespace Tavrune::Test
