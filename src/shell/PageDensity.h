#pragma once

// A page's measures. Its density on a screen: 96 dots per inch at scale 1, which is the size a
// page shows at zoom 1.0; pictures keep their density in dots per metre. The word processor
// measures a page in twips, the office in hundredths of a millimetre.
inline constexpr double ScreenDotsPerInch = 96.0;
inline constexpr double MetresPerInch = 0.0254;
inline constexpr double TwipsPerInch = 1440.0;
inline constexpr double HundredthsOfMillimetrePerInch = 2540.0;
