#pragma once
// The command ids the menu bar sends with WM_COMMAND (the low 16 bits of wParam).
#include <cstdint>

namespace Tavrune {

enum class MenuCommand : int32_t {
  NewGame = 100,
  LoadScore = 101,
  SaveScore = 102,
  Exit = 103,
  TwoPlayerMode = 200,
  EngineMode = 201,
  LanMode = 202,
  Undo = 203,
  SwitchSides = 204,
  Review = 205,  // enters or leaves a review
  ProfessionalNotation = 206,
  Draw = 207,
  Resign = 208,
  StopOrResume = 209,
  Instructions = 300,
  About = 301,
  CheckForUpdates = 302,
  AudioTest = 303,
  Settings = 304,
};

}  // namespace Tavrune
