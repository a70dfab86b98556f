// Text drawing: the font a device context holds from the start, rendered
// once per character with SDL2_ttf into alpha masks, then blended into the
// raster as black text.
//
// The font is DejaVu Sans Mono Bold, or where a machine lacks it the bold
// monospace face that fontconfig finds, at a size that gives 7 pixels a character. It stands in
// for Windows' system font, which is bold, about 7 pixels a character on
// average, 16 pixels from line to line with its baseline 13 pixels down:
// lines are spaced and placed the same, so a caption of 51 characters fits
// the 400 pixels above a picture as it does there, and every menu item fits
// its menu, which allows 8.5 pixels a character.
#include "text.h"

#include "raster.h"
#include "windowing.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Points at SDL2_ttf's 72 dots per inch: pixels to the em.
constexpr int font_points = 12;
constexpr int fallback_advance = 7;
constexpr int line_spacing = 16;
constexpr int baseline = 13;  // pixels from a line's top to its baseline

struct Glyph {
    int advance = fallback_advance;
    int left = 0;  // where the mask's first column stands from the pen: the left bearing when it is negative
    int width = 0;
    int height = 0;
    std::vector<uint8_t> alpha;  // width × height coverage, row by row
};

struct Font {
    bool loaded = false;
    int line_height = line_spacing;
    int glyph_top = 0;  // where a rendered glyph's top row stands below the line's top
    std::array<Glyph, 256> glyphs;  // by 8-bit character code (Latin-1)
};

// The file of the best match for the pattern in the configuration, if its
// family is the one asked for (or any family is acceptable).
std::string Matching_Font_File(FcConfig* config, const char* pattern_text, const char* family_wanted) {
    std::string path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(pattern_text));
    if (pattern == nullptr) return path;
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    if (match != nullptr) {
        FcChar8* family = nullptr;
        // fontconfig always answers with some face: the one asked for by
        // name counts only when the answer is that family.
        bool family_found = family_wanted == nullptr;
        for (int i = 0; !family_found && FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
            family_found = FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(family_wanted)) == 0;
        FcChar8* file = nullptr;
        if (family_found && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr)
            path = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}

}  // namespace

// DejaVu Sans Mono Bold, which the package depends on, by name, so that the
// captions look the same whatever other fonts a machine has; fontconfig's
// bold monospace face only where it is missing.
std::string text::Find_Font_File(FcConfig* config) {
    std::string path = Matching_Font_File(config, "DejaVu Sans Mono:style=Bold", "DejaVu Sans Mono");
    if (path.empty()) path = Matching_Font_File(config, "monospace:style=Bold", nullptr);
    return path;
}

namespace {

void Load(Font& font) {
    if (!FcInit()) return;
    const std::string file = text::Find_Font_File(nullptr);
    if (file.empty()) return;
    if (TTF_WasInit() == 0 && TTF_Init() != 0) return;
    TTF_Font* ttf = TTF_OpenFont(file.c_str(), font_points);
    if (ttf == nullptr) return;
    font.glyph_top = baseline - TTF_FontAscent(ttf);
    const SDL_Colour black{0, 0, 0, 255};
    for (int code = 32; code < 256; ++code) {
        if (code >= 127 && code < 160) continue;  // control characters draw nothing
        Glyph& glyph = font.glyphs[code];
        const char text[2] = {static_cast<char>(code), 0};
        SDL_Surface* rendered = TTF_RenderText_Blended(ttf, text, black);
        if (rendered == nullptr) continue;
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(rendered);
        if (argb == nullptr) continue;
        int min_x = 0;
        int advance = 0;
        if (TTF_GlyphMetrics(ttf, static_cast<Uint16>(code), &min_x, nullptr, nullptr, nullptr, &advance) == 0) {
            glyph.advance = advance;
            // A glyph that reaches left of its pen (J, Y, j) is rendered with
            // its pen that far into the mask.
            glyph.left = std::min(min_x, 0);
        }
        glyph.width = argb->w;
        glyph.height = argb->h;
        glyph.alpha.resize(static_cast<size_t>(argb->w) * static_cast<size_t>(argb->h));
        SDL_LockSurface(argb);
        for (int y = 0; y < argb->h; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                                 static_cast<ptrdiff_t>(y) * argb->pitch);
            for (int x = 0; x < argb->w; ++x)
                glyph.alpha[static_cast<size_t>(y) * static_cast<size_t>(argb->w) + static_cast<size_t>(x)] =
                    static_cast<uint8_t>(row[x] >> 24);
        }
        SDL_UnlockSurface(argb);
        SDL_FreeSurface(argb);
    }
    TTF_CloseFont(ttf);
    font.loaded = true;
}

Font loaded_font;
std::once_flag font_loading;
std::atomic<bool> font_ready{false};

// The font, as the window's thread loaded it when it started. Rendering it
// is SDL_ttf's work, which only that thread does; a thread that draws before
// any thread owns the windows becomes their owner.
const Font& The_Font() {
    if (!font_ready.load(std::memory_order_acquire)) {
        if (!windowing::On_Window_Thread()) windowing::Start_Window_Thread();
        if (windowing::On_Window_Thread()) text::Load_Font();
    }
    static const Font none;
    return font_ready.load(std::memory_order_acquire) ? loaded_font : none;
}

int Advance(const Font& font, unsigned char c) {
    return c < 32 ? 0 : font.glyphs[c].advance;
}

// Darkens the pixels of one glyph at (x, y) by its coverage, within clip.
void Blend_Glyph(HBITMAP__& target, const Glyph& glyph, int x, int y, const RECT& clip) {
    for (int gy = 0; gy < glyph.height; ++gy) {
        const int ty = y + gy;
        if (ty < clip.top || ty >= clip.bottom) continue;
        uint8_t* row = target.Row(ty);
        for (int gx = 0; gx < glyph.width; ++gx) {
            const int tx = x + gx;
            if (tx < clip.left || tx >= clip.right) continue;
            const unsigned coverage =
                glyph.alpha[static_cast<size_t>(gy) * static_cast<size_t>(glyph.width) + static_cast<size_t>(gx)];
            if (coverage == 0) continue;
            uint8_t* pixel = row + static_cast<ptrdiff_t>(tx) * (target.bits_per_pixel / 8);
            for (int channel = 0; channel < 3; ++channel)
                pixel[channel] = static_cast<uint8_t>(pixel[channel] * (255 - coverage) / 255);
        }
    }
}

}  // namespace

namespace text {

void Load_Font() {
    WINDOW_THREAD_ONLY();
    std::call_once(font_loading, [] {
        Load(loaded_font);
        font_ready.store(true, std::memory_order_release);
    });
}

Extent Measure(const char* characters, int length) {
    const Font& font = The_Font();
    Extent extent{0, font.line_height};
    int line_width = 0;
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(characters[i]);
        if (c == '\n') {
            extent.width = std::max(extent.width, line_width);
            extent.height += font.line_height;
            line_width = 0;
            continue;
        }
        line_width += Advance(font, c);
    }
    extent.width = std::max(extent.width, line_width);
    return extent;
}

}  // namespace text

int DrawTextA(HDC dc, LPCSTR characters, int length, LPRECT rect, UINT) {
    // No characters draw nothing and have no height, as the system has it;
    // an empty text whose length is to be found is one empty line.
    if (dc == nullptr || characters == nullptr || rect == nullptr || length == 0) return 0;
    if (length < 0) length = static_cast<int>(std::strlen(characters));
    const text::Extent extent = text::Measure(characters, length);
    if (dc->bitmap == nullptr || (dc->kind != Dc_Kind::Memory && dc->kind != Dc_Kind::Window))
        return extent.height;
    HBITMAP__& target = *dc->bitmap;
    RECT clip{std::max<LONG>(rect->left, 0), std::max<LONG>(rect->top, 0),
              std::min<LONG>(rect->right, target.width), std::min<LONG>(rect->bottom, target.height)};
    if (clip.left >= clip.right || clip.top >= clip.bottom) return extent.height;
    if (dc->background_mode == OPAQUE) {
        RECT box{rect->left, rect->top, rect->left + extent.width, rect->top + extent.height};
        RECT clipped{std::max(box.left, clip.left), std::max(box.top, clip.top),
                     std::min(box.right, clip.right), std::min(box.bottom, clip.bottom)};
        raster::Fill(&target, clipped, 0x00FFFFFF);
    }
    const Font& font = The_Font();
    if (!font.loaded) return extent.height;
    int x = rect->left;
    int y = rect->top;
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(characters[i]);
        if (c == '\n') {
            x = rect->left;
            y += font.line_height;
            continue;
        }
        if (c < 32) continue;
        if (x >= clip.right) continue;
        Blend_Glyph(target, font.glyphs[c], x + font.glyphs[c].left, y + font.glyph_top, clip);
        x += font.glyphs[c].advance;
    }
    return extent.height;
}
