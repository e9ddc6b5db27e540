#include "controls/CButtonFamily.h"

#include "common/Messages.h"
#include "controls/CButtonPicture.h"
#include "controls/COffScreenControl.h"
#include "controls/CSubDialogButtonPicture.h"

#include <QFont>
#include <QPainter>

namespace {

QImage LoadBitmap(int id)
{
    QImage image(QStringLiteral(":/bitmaps/%1.bmp").arg(id));
    if (image.isNull()) {
        // Without the resource a plain grey pill body stands in.
        image = QImage(88, 30, QImage::Format_RGB32);
        image.fill(QColor(194, 194, 200));
    }
    return image;
}

} // namespace

QFont ButtonCaptionFont()
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

template <class Kind>
CButtonFamily<Kind>::CButtonFamily(OwnerHook pressHook, OwnerHook releaseHook, COffScreenControl* control,
                                   const PictureRect& rect, const QString& caption, int normalImage,
                                   int pressedImage, int index)
{
    Button& first = registry.buttons[0];
    Create(control, rect, &OnPress, &OnRelease, nullptr, nullptr, first.width, first.height, first.picture);
    registry.pressHook = pressHook;
    registry.releaseHook = releaseHook;
    registry.count = 0;
    registry.disabledCaption = QColor(100, 100, 50);
    registry.enabledCaption = QColor(0, 100, 0);
    AddButton(control, rect, caption, normalImage, pressedImage, index);
}

template <class Kind>
void CButtonFamily<Kind>::AddButton(COffScreenControl* control, const PictureRect& rect, const QString& caption,
                                    int normalImage, int pressedImage, int index)
{
    if (registry.count >= kCapacity)
        return; // no room: the button is not made
    const int slot = registry.count;
    Button& b = registry.buttons[slot];
    if (slot != 0)
        Create(control, rect, &OnPress, &OnRelease, nullptr, nullptr, b.width, b.height, b.picture);
    b.normalImage = LoadBitmap(normalImage);
    b.pressedImage = LoadBitmap(pressedImage);
    b.caption = caption;
    b.control = control;
    if (control)
        control->SetIndex(index);
    b.pressed = 0;
    DrawButton(slot);
    registry.count = slot + 1;
}

template <class Kind>
void CButtonFamily<Kind>::DrawButton(int slot)
{
    Button& b = registry.buttons.at(slot);
    if (!b.picture)
        return;
    QPainter p(b.picture.get());
    PreparePainter(p);
    p.fillRect(0, 0, b.width, b.height, Qt::white);
    p.drawImage(QPoint(0, 0), b.pressed ? b.pressedImage : b.normalImage, QRect(0, 0, b.width, b.height));
    const bool enabled = b.control && b.control->isEnabled();
    p.setPen(enabled ? registry.enabledCaption : registry.disabledCaption);
    p.setFont(ButtonCaptionFont());
    // Leading blanks move the caption onto the pill's body; what passes the edge is cut.
    p.drawText(QRect(2, 2, 210 - 2, 28 - 2), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, b.caption);
}

template <class Kind>
void CButtonFamily<Kind>::SetCaption(COffScreenControl* control, const QString& caption)
{
    for (int i = 0; i < registry.count; ++i)
        if (registry.buttons[i].control == control && registry.buttons[i].caption != caption) {
            registry.buttons[i].caption = caption;
            DrawButton(i);
            ShowButton(i);
        }
}

template <class Kind>
void CButtonFamily<Kind>::ShowButton(int slot)
{
    const Button& b = registry.buttons[slot];
    Show(b.picture.get(), b.control, 1.0);
}

template <class Kind>
void CButtonFamily<Kind>::ShowAll()
{
    for (int i = 0; i < registry.count; ++i)
        ShowButton(i);
}

template <class Kind>
void CButtonFamily<Kind>::ChangeLook(int index, int pressed, OwnerHook hook)
{
    if (index < 0 || index >= registry.count)
        return; // a control without its index, or one of a registry that has gone
    registry.buttons[index].pressed = pressed;
    DrawButton(index);
    ShowButton(index);
    // The new look is on the screen before the owner acts.
    if (hook)
        hook(index);
}

template <class Kind>
void CButtonFamily<Kind>::OnPress(int, int, int index)
{
    ChangeLook(index, 1, registry.pressHook);
}

template <class Kind>
void CButtonFamily<Kind>::OnRelease(int, int, int index)
{
    ChangeLook(index, 0, registry.releaseHook);
}

template <class Kind>
void CButtonFamily<Kind>::RemoveButton(int slot)
{
    if (slot != registry.count - 1) {
        ShowMessage("CButtonPicture::ErrorMsg");
        return;
    }
    Button& b = registry.buttons[slot];
    Destroy(b.picture, b.control);
    b.normalImage = QImage();
    b.pressedImage = QImage();
    b.caption.clear();
    b.control = nullptr;
    b.pressed = 0;
    registry.count = slot;
}

template <class Kind>
void CButtonFamily<Kind>::DestroyAll()
{
    while (registry.count > 0)
        RemoveButton(registry.count - 1);
}

template class CButtonFamily<CButtonPicture>;
template class CButtonFamily<CSubDialogButtonPicture>;
