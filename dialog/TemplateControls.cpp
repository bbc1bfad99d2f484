#include "dialog/TemplateControls.h"

#include "panel/PedestalTemplate.h"
#include "panel/Resources.h"

#include <QBuffer>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {

QRect PixelRect(int x, int y, int w, int h) {
    return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(w),
                 DialogUnitsToPixelsY(h));
}

QByteArray ResourceBytes(const Resource& resource) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data),
                                   static_cast<qsizetype>(resource.size));
}

} // namespace

QPixmap Picture(int resourceId) {
    QPixmap picture;
    picture.loadFromData(ResourceBytes(BitmapResource(resourceId)), "BMP");
    return picture;
}

QIcon IconPicture() {
    QByteArray bytes = ResourceBytes(IconResource());
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "ICO");
    QIcon icon;
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i)
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    return icon;
}

std::vector<QWidget*> BuildTemplateControls(QWidget* dialog,
                                            const std::function<QPixmap(int)>& pictureOf) {
    std::vector<QWidget*> controls;
    const DialogTemplate& dlg = PedestalTemplate();
    std::vector<QWidget*> frames;
    for (std::size_t i = 0; i < dlg.controlCount; ++i) {
        const TemplateControl& control = dlg.controls[i];
        const QString caption = QString::fromLatin1(control.caption);
        QWidget* widget = nullptr;
        QPixmap bitmap;
        switch (KindOf(control)) {
        case ControlKind::PushButton: {
            auto* button = new QPushButton(caption, dialog);
            button->setDefault(IsDefaultButton(control.style));
            widget = button;
            break;
        }
        case ControlKind::GroupBox:
            widget = new QGroupBox(caption, dialog);
            frames.push_back(widget);
            break;
        case ControlKind::Text: {
            auto* text = new QLabel(caption, dialog);
            text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = text;
            break;
        }
        case ControlKind::Bitmap: {
            auto* picture = new QLabel(dialog);
            bitmap = pictureOf(control.bitmap);
            picture->setPixmap(bitmap);
            widget = picture;
            break;
        }
        case ControlKind::Trackbar: {
            auto* slider = new QSlider(Qt::Vertical, dialog);
            slider->setRange(0, 100);
            // A trackbar's minimum is at its top.
            slider->setInvertedAppearance(true);
            slider->setInvertedControls(true);
            widget = slider;
            break;
        }
        }
        widget->setGeometry(PixelRect(control.x, control.y, control.w, control.h));
        // A bitmap static takes the size of its bitmap.
        if (!bitmap.isNull())
            widget->resize(bitmap.size());
        widget->setEnabled(!IsDisabled(control.style));
        widget->setVisible(IsVisible(control.style));
        controls.push_back(widget);
    }
    // The frames come last in the template and so lie beneath the controls
    // they surround; without this they would swallow the buttons' clicks.
    for (QWidget* frame : frames)
        frame->lower();
    return controls;
}
