// Colour models and conversions: blending, inversion, hexadecimal text, the HSL, HSV, HSI, CMY(K)
// and grey models, colour distance, random colours and the colour of a wavelength of light.
#pragma once

#include <cstdint>

#include "xan/platform/export.h"
#include "xan/platform/strings.h"
#include "xan/platform/types.h"

namespace xan {

// Conventions of every function below:
// - A TColor holds red in the low byte, then green, then blue. Functions taking a TColor read
//   only those three bytes (system-colour codes are not resolved); functions returning one build
//   it from three channel bytes and leave the top byte 0.
// - Hue H is in degrees, 0 <= H < 360; saturation, lightness, value, intensity and the C, M, Y, K
//   components are in 0..1.
// - "Round" rounds to the nearest integer with halves to the even neighbour (127.5 => 128,
//   126.5 => 126); "Trunc" cuts toward zero. A NaN component reads as 0.
// - Nothing here raises or keeps state; only the random colours advance the shared generator.

// ================================================================================================
// Blending and simple transformations

// The colour at `frac` of the way from c1 to c2, channel by channel Trunc((b - a)*frac + a).
// frac is clamped to 0..1 (NaN reads as 0).
//   ($000000, $0000FF, 0.5) => $00007F,  (c1, c2, 0) => c1,  (c1, c2, 2) => c2 (top byte 0)
XAN_EXPORT TColor InterpolateColor(TColor c1, TColor c2, double frac) noexcept;

// Blends over three colours: frac 0..0.5 goes from c1 to c2, 0.5..1 from c2 to c3, each by the
// rule of InterpolateColor. frac is clamped to 0..1.
//   frac 0 => c1,  frac 0.5 => c2,  frac 0.75 => halfway between c2 and c3,  frac 1 => c3
XAN_EXPORT TColor Interpolate3Colors(TColor c1, TColor c2, TColor c3, double frac) noexcept;

// The truncated mean of each channel: InterpolateColor(c1, c2, 0.5).
//   ($000000, $FFFFFF) => $7F7F7F
XAN_EXPORT TColor MeanColor(TColor c1, TColor c2) noexcept;

// Red and blue exchanged.
//   $112233 => $332211,  $FF000080 => $800000
XAN_EXPORT TColor ReverseRGBColor(TColor c) noexcept;

// Each channel x becomes 255 - x.
//   $000000 => $FFFFFF,  $10FF80 => $EF007F
XAN_EXPORT TColor InvertColor(TColor c) noexcept;

// ================================================================================================
// Hexadecimal text

// The whole 32-bit value as exactly 8 upper-case hexadecimal digits, most significant first,
// without prefix (the top byte included).
//   $0000FF => "000000FF",  $01000000 => "01000000"
XAN_EXPORT String ColorToHexStr(TColor c);

// Reads a colour written in hexadecimal. Blanks (U+0020) at both ends are ignored and one leading
// "$" is skipped; digits 0-9, A-F, a-f are read from the left until the first other character,
// the value wrapping at 32 bits. No digit gives 0; no other prefix is recognised.
//   " $ff8000 " => $FF8000,  "12xz" => $12,  "xyz" => 0,  "" => 0,  "0x10" => 0
XAN_EXPORT TColor HexStrToColor(StringView text) noexcept;

// ================================================================================================
// HSL

// Red, green and blue (each clamped to 0..255) to hue, saturation and lightness. Grey has
// hue 0 and saturation 0; a tie between the largest channels goes to red, then green.
//   (255, 0, 0) => H 0, S 1, L 0.5;  (128, 128, 128) => H 0, S 0, L 128/255
XAN_EXPORT void RGBtoHSL(int32_t R, int32_t G, int32_t B, double& H, double& S, double& L) noexcept;
// RGBtoHSL on the three low bytes of c.
XAN_EXPORT void ColorToHSL(TColor c, double& H, double& S, double& L) noexcept;

// Hue, saturation and lightness to channels 0..255. A hue from -360 to 720 is brought into
// 0..360 by one turn (360 itself reads as 0); any other hue is first reduced by whole turns, and
// an infinite hue reads as 0. S and L are clamped to 0..1.
//   (0, 1, 0.5) => 255, 0, 0;  (360, 1, 0.5) => 255, 0, 0;  (-120, 1, 0.5) => 0, 0, 255
XAN_EXPORT void HSLtoRGB(double H, double S, double L, int32_t& R, int32_t& G, int32_t& B) noexcept;
// HSLtoRGB packed into a TColor (top byte 0).
XAN_EXPORT TColor HSLtoColor(double H, double S, double L) noexcept;

// ================================================================================================
// HSV

// Channels (expected in 0..255, not clamped) to hue, saturation and value. Black gives H 0 and
// S 0; other greys give the undefined hue H -1 and S 0. Ties go to red, then green, then blue.
//   (255, 0, 0) => H 0, S 1, V 1;  (128, 128, 128) => H -1, S 0, V 128/255;  (0, 0, 0) => 0, 0, 0
XAN_EXPORT void RGBtoHSV(int32_t R, int32_t G, int32_t B, double& H, double& S, double& V) noexcept;
// RGBtoHSV on the three low bytes of c.
XAN_EXPORT void ColorToHSV(TColor c, double& H, double& S, double& V) noexcept;

// Hue, saturation and value to channels 0..255. S and V are clamped to 0..1; a hue below 0 or
// from 360 on is not wrapped but replaced by 0 (so the undefined hue -1 reads as red).
//   (0, 1, 1) => 255, 0, 0;  (360, 1, 1) => 255, 0, 0;  (120, 1, 0.5) => 0, 128, 0
XAN_EXPORT void HSVtoRGB(double H, double S, double V, int32_t& R, int32_t& G, int32_t& B) noexcept;
// HSVtoRGB packed into a TColor (top byte 0).
XAN_EXPORT TColor HSVtoColor(double H, double S, double V) noexcept;

// ================================================================================================
// HSI

// Channels (expected in 0..255, not clamped) to hue, saturation and intensity (the mean of the
// channels over 255). Black gives H 0, S 0; other greys H -1, S 0; ties as in RGBtoHSV.
//   (255, 0, 0) => H 0, S 1, I 1/3;  (128, 128, 128) => H -1, S 0, I 128/255
XAN_EXPORT void RGBtoHSI(int32_t R, int32_t G, int32_t B, double& H, double& S, double& I) noexcept;
// RGBtoHSI on the three low bytes of c.
XAN_EXPORT void ColorToHSI(TColor c, double& H, double& S, double& I) noexcept;

// Hue, saturation and intensity to channels 0..255; the hue is wrapped as in HSLtoRGB, S and I
// are clamped to 0..1 and each channel to at most 255.
//   (0, 1, 1/3) => 255, 0, 0;  (-1, 0, 0.5) => 128, 128, 128
XAN_EXPORT void HSItoRGB(double H, double S, double I, int32_t& R, int32_t& G, int32_t& B) noexcept;
// HSItoRGB packed into a TColor (top byte 0).
XAN_EXPORT TColor HSItoColor(double H, double S, double I) noexcept;

// ================================================================================================
// CMY and CMYK

// Bytes to cyan, magenta and yellow: C = 1 - R/255 and so on.
//   (255, 0, 51) => C 0, M 1, Y 0.8
XAN_EXPORT void RGBtoCMY(uint8_t R, uint8_t G, uint8_t B, double& C, double& M, double& Y) noexcept;

// Cyan, magenta and yellow (each clamped to 0..1) to bytes: R = Round(255*(1 - C)) and so on.
//   (0, 1, 0.5) => 255, 0, 128
XAN_EXPORT void CMYtoRGB(double C, double M, double Y, uint8_t& R, uint8_t& G, uint8_t& B) noexcept;

// Takes the common black out of C, M and Y: each is clamped to 0..1 in place, K becomes the
// smallest of them and is subtracted from each (there is no division by 1 - K).
//   (0.5, 0.7, 0.9) => C 0, M 0.2, Y 0.4, K 0.5
XAN_EXPORT void CMYtoCMYK(double& C, double& M, double& Y, double& K) noexcept;

// Puts the black back: K is added to each of C, M, Y and each sum clamped to 0..1.
//   (0, 0.2, 0.4, K 0.5) => 0.5, 0.7, 0.9;  (0.8, 0, 0, K 0.5) => 1, 0.5, 0.5
XAN_EXPORT void CMYKtoCMY(double& C, double& M, double& Y, double K) noexcept;

// ================================================================================================
// Grey

// The grey level Round(0.3*R + 0.59*G + 0.11*B), computed in extended precision; the channels
// are expected in 0..255 and not clamped.
//   (255, 255, 255) => 255,  (1, 1, 1) => 1,  (255, 0, 0) => 76
XAN_EXPORT int32_t RGBtoGray(int32_t R, int32_t G, int32_t B) noexcept;
// The grey colour of that level (its low byte in each channel).
XAN_EXPORT TColor RGBtoGrayColor(int32_t R, int32_t G, int32_t B) noexcept;
// RGBtoGray and RGBtoGrayColor on the three low bytes of c.
XAN_EXPORT int32_t ColorToGray(TColor c) noexcept;
XAN_EXPORT TColor ColorToGrayColor(TColor c) noexcept;

// ================================================================================================
// Distance

// The Euclidean distance of the channel differences over its largest value, in 0..1:
// sqrt((dr^2 + dg^2 + db^2) / 195075).
//   (c, c) => 0,  ($000000, $FFFFFF) => 1,  ($000000, $0000FF) => 1/sqrt(3)
XAN_EXPORT double RGBColorDistance(TColor c1, TColor c2) noexcept;

// ================================================================================================
// Random colours (drawn from SharedRandom())

// A colour of three draws in 0..255: blue first, then green, then red.
XAN_EXPORT TColor RandomColor() noexcept;

// A colour drawn within bounds: blue in BLow..BHigh first, then green, then red, each as
// low + draw(high - low + 1). A low bound above its high bound is exchanged with it, so the
// channel is still drawn between the two; equal bounds give that value (a draw is still made).
XAN_EXPORT TColor RandomColor(uint8_t RLow, uint8_t RHigh, uint8_t GLow, uint8_t GHigh,
                              uint8_t BLow, uint8_t BHigh) noexcept;

// ================================================================================================
// Light

// The colour of light of `wavelength` nanometres, 380..779 (others give black), dimmed toward
// both ends of that range and shaped by gamma: each channel is Round(255*(x*f)^gamma) for the
// base channel x and intensity factor f. A channel that would leave 0..255 (a negative gamma)
// is clamped to it.
//   (379, 1) => $000000,  (645, 1) => $0000FF,  (700, 1) => $0000FF,  (701, 1) => $0000FD,
//   (780, 1) => $000000
XAN_EXPORT TColor WavelengthToColor(int32_t wavelength, double gamma) noexcept;

}  // namespace xan
