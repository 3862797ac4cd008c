#pragma once
// Names, descriptions and values that screen readers read for a window, set from
// outside the window (the settings page's controls are plain system controls).
#include <windows.h>

#include <string>

struct IAccPropServices;

namespace Tavrune::Settings {

enum class AccessibleProperty { Name, Description, Value };

class AccessibleAnnotator {
 public:
  virtual ~AccessibleAnnotator() = default;
  virtual void annotate(HWND window, AccessibleProperty property, const std::wstring& text) = 0;
};

// Over the system's dynamic annotation service; does nothing when it cannot be created.
class AccPropAnnotator : public AccessibleAnnotator {
 public:
  AccPropAnnotator();
  ~AccPropAnnotator() override;
  AccPropAnnotator(const AccPropAnnotator&) = delete;
  AccPropAnnotator& operator=(const AccPropAnnotator&) = delete;

  void annotate(HWND window, AccessibleProperty property, const std::wstring& text) override;

 private:
  bool comEntered = false;
  ::IAccPropServices* services = nullptr;
};

}  // namespace Tavrune::Settings
