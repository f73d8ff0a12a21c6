// The desktop window's layout, shared by its FLTK and Win32 faces: Form1's
// measures in pixels (the design's twips divided by 15).
#ifndef SARVILAX_UI_FORM_LAYOUT_H_
#define SARVILAX_UI_FORM_LAYOUT_H_

namespace sarvilax::form_layout {

inline constexpr int kClientWidth = 424;
inline constexpr int kClientHeight = 78;
inline constexpr int kFrameLeft = 16, kFrameTop = 13, kFrameWidth = 392, kFrameHeight = 49;
// The bar lies inside Frame1, at these offsets from the frame's corner.
inline constexpr int kBarLeft = 12, kBarTop = 22, kBarWidth = 366, kBarHeight = 12;

}  // namespace sarvilax::form_layout

#endif  // SARVILAX_UI_FORM_LAYOUT_H_
