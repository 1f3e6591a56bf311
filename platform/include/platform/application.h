#pragma once
namespace platform {

class MenuBar;

// The application object of a run.
class Application {
public:
    virtual ~Application() = default;
    void SetMenuBar(MenuBar* menuBar) { menuBar_ = menuBar; }
    MenuBar* GetMenuBar() const { return menuBar_; }

private:
    MenuBar* menuBar_ = nullptr;
};

} // namespace platform
