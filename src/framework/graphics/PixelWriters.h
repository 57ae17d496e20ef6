#pragma once

#include "framework/graphics/Image.h"
#include "framework/graphics/PixelRules.h"
#include "framework/graphics/PixelTarget.h"

#include <cstdint>
#include <utility>

namespace Vesk
{

// One writer per destination rule and draw mode. Each puts a straight source pixel (PutStraight)
// or a premultiplied one in native form (PutNative) onto a destination pixel. The loops of the
// primitives are templates over the writer, so the choice is made once per call.
class PixelWriters
{
public:
    struct StraightOver
    {
        static void PutStraight(uint32_t& d, uint32_t s, const uint8_t*) { d = PixelRules::Over(s, d); }
        static void PutNative(uint32_t& d, uint32_t n, const uint8_t*)
        {
            if (n >> 24)
                d = PixelRules::Over(PixelRules::Unpremultiply(n), d);
        }
    };
    struct OpaqueOver
    {
        static void PutStraight(uint32_t& d, uint32_t s, const uint8_t*) { d = PixelRules::OverOpaque(s, d); }
        static void PutNative(uint32_t& d, uint32_t n, const uint8_t*)
        {
            if (n >> 24)
                d = PixelRules::OverOpaque(PixelRules::Unpremultiply(n), d);
        }
    };
    struct StraightAdd
    {
        static void PutStraight(uint32_t& d, uint32_t s, const uint8_t* sat) { d = PixelRules::Add(s, d, sat); }
        static void PutNative(uint32_t& d, uint32_t n, const uint8_t* sat)
        {
            if (n & 0xFFFFFF)
                d = PixelRules::PremulAdd(n, d, sat);
        }
    };
    struct DisplayOver
    {
        static void PutStraight(uint32_t& d, uint32_t s, const uint8_t*)
        {
            d = PixelRules::PremulOver(PixelRules::Premultiply(s), d);
        }
        static void PutNative(uint32_t& d, uint32_t n, const uint8_t*) { d = PixelRules::PremulOver(n, d); }
    };
    struct DisplayAdd
    {
        static void PutStraight(uint32_t& d, uint32_t s, const uint8_t* sat)
        {
            d = PixelRules::PremulAdd(PixelRules::Premultiply(s), d, sat);
        }
        static void PutNative(uint32_t& d, uint32_t n, const uint8_t* sat) { d = PixelRules::PremulAdd(n, d, sat); }
    };

    // Calls body with the writer for the rule and draw mode.
    template <class Body> static void Dispatch(BlendRule rule, int drawMode, Body&& body)
    {
        bool additive = drawMode == DRAWMODE_ADDITIVE;
        switch (rule)
        {
        case BlendRule::Display:
            if (additive)
                body(DisplayAdd{});
            else
                body(DisplayOver{});
            break;
        case BlendRule::KeepAlpha:
            if (additive)
                body(StraightAdd{});
            else
                body(OpaqueOver{});
            break;
        case BlendRule::Straight:
            if (additive)
                body(StraightAdd{});
            else
                body(StraightOver{});
            break;
        }
    }
};

} // namespace Vesk
