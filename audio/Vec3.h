#pragma once
// A point or direction in listener space: x to the right, y up, z towards the back.
namespace Tavrune {

struct Vec3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  friend constexpr bool operator==(const Vec3&, const Vec3&) = default;
};

}  // namespace Tavrune
