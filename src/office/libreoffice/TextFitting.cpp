#include "TextFitting.h"

#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/text/SizeType.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextFrame.hpp>

namespace {

// Runs work, then restore, also when work throws.
template <typename Work, typename Restore>
auto restoring(Work &&work, Restore &&restore)
{
    try {
        auto result = work();
        restore();
        return result;
    } catch (...) {
        restore();
        throw;
    }
}

// A text frame of the word processor: a fixed height against the height the frame takes when
// it may grow to its text (at least its own).
bool frameOverflows(const Reference<css::beans::XPropertySet> &frame)
{
    sal_Int16 sizeType = css::text::SizeType::FIX;
    frame->getPropertyValue("SizeType") >>= sizeType;
    if (sizeType != css::text::SizeType::FIX)
        return false;
    sal_Int32 height = 0;
    frame->getPropertyValue("Height") >>= height;
    frame->setPropertyValue("SizeType", Any(css::text::SizeType::MIN));
    const css::awt::Size laidOut = restoring(
        [&] { return frame->getPropertyValue("LayoutSize").get<css::awt::Size>(); },
        [&] { frame->setPropertyValue("SizeType", Any(css::text::SizeType::FIX)); });
    return laidOut.Height > height;
}

// A drawing shape: its height against the height it takes when it grows (or shrinks) to fit its
// text. A shape whose text sits in its middle or at its bottom moves as it grows: its place is put
// back with its size.
bool shapeOverflows(const Reference<css::beans::XPropertySet> &properties)
{
    bool growsWithText = false;
    properties->getPropertyValue("TextAutoGrowHeight") >>= growsWithText;
    if (growsWithText)
        return false;
    const Reference<css::drawing::XShape> shape(properties, UNO_QUERY_THROW);
    const css::awt::Size size = shape->getSize();
    const css::awt::Point position = shape->getPosition();
    properties->setPropertyValue("TextAutoGrowHeight", Any(true));
    const css::awt::Size fitted = restoring([&] { return shape->getSize(); },
                                            [&] {
                                                properties->setPropertyValue("TextAutoGrowHeight", Any(false));
                                                shape->setSize(size);
                                                shape->setPosition(position);
                                            });
    return fitted.Height > size.Height;
}

} // namespace

bool textOverflows(const Reference<css::uno::XInterface> &shape)
{
    const Reference<css::beans::XPropertySet> properties(shape, UNO_QUERY);
    if (!properties.is())
        return false;
    if (Reference<css::text::XTextFrame>(shape, UNO_QUERY).is())
        return frameOverflows(properties);
    if (Reference<css::text::XText>(shape, UNO_QUERY).is())
        return shapeOverflows(properties);
    return false;
}
