#pragma once
// Picture buttons: 88 x 30 pill images with a caption, acting on the press of the left
// button. Each registry kind keeps its buttons in process-wide tables, because the control
// handlers receive nothing but the control's index.

#include "controls/COffScreenPicture.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <array>
#include <memory>

class COffScreenControl;

using OwnerHook = void (*)(int slot);

namespace ButtonImage {
constexpr int kPressed = 167;
constexpr int kNormal = 168;
} // namespace ButtonImage

template <class Kind>
class CButtonFamily : public COffScreenPicture {
public:
    static constexpr int kCapacity = 64;

    // Creates the registry with its first button.
    CButtonFamily(OwnerHook pressHook, OwnerHook releaseHook, COffScreenControl* control, const PictureRect& rect,
                  const QString& caption, int normalImage, int pressedImage, int index);

    void AddButton(COffScreenControl* control, const PictureRect& rect, const QString& caption, int normalImage,
                   int pressedImage, int index);
    static void DrawButton(int slot);
    // Redraws the control's button with another caption (another language).
    void SetCaption(COffScreenControl* control, const QString& caption);
    static QString Caption(int slot) { return registry.buttons.at(slot).caption; }
    void ShowAll();
    // Releases every button, the last first.
    void DestroyAll();

    static int Count() { return registry.count; }
    static bool IsPressed(int slot) { return registry.buttons.at(slot).pressed != 0; }
    static const QImage* Surface(int slot) { return registry.buttons.at(slot).picture.get(); }

private:
    struct Button {
        int pressed = 0;
        int width = 0;
        int height = 0;
        std::unique_ptr<QImage> picture;
        COffScreenControl* control = nullptr;
        QString caption;
        QImage normalImage;
        QImage pressedImage;
    };
    struct Registry {
        std::array<Button, kCapacity> buttons;
        int count = 0;
        OwnerHook pressHook = nullptr;
        OwnerHook releaseHook = nullptr;
        QColor disabledCaption;
        QColor enabledCaption;
    };

    static void OnPress(int x, int y, int index);
    static void OnRelease(int x, int y, int index);
    static void ShowButton(int slot);
    static void ChangeLook(int index, int pressed, OwnerHook hook);
    void RemoveButton(int slot);

    static inline Registry registry;
};

// The caption font of the buttons.
class QFont;
QFont ButtonCaptionFont();
