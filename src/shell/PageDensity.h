#pragma once

// A page's density on a screen: 96 dots per inch at scale 1, which is the size a page shows at
// zoom 1.0; pictures keep their density in dots per metre.
inline constexpr double ScreenDotsPerInch = 96.0;
inline constexpr double MetresPerInch = 0.0254;
