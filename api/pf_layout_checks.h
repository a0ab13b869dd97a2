// Pins the size and offset of every field the effect or our host touches, so a
// layout slip fails the build on every platform. The figures are the same on
// 64-bit Windows and 64-bit macOS/Linux: no record uses a type whose size
// differs between them.
#pragma once

#include "pf_constants.h"
#include "pf_suites.h"

#define PF_PIN(T, field, off) static_assert(offsetof(T, field) == (off), #T "." #field)
#define PF_SIZE(T, size, align)                       \
    static_assert(sizeof(T) == (size), "sizeof " #T); \
    static_assert(alignof(T) == (align), "alignof " #T)

static_assert(sizeof(void *) == 8, "the effect API is 64-bit only");

PF_SIZE(PF_Pixel, 4, 1);
PF_PIN(PF_Pixel, alpha, 0);
PF_PIN(PF_Pixel, red, 1);
PF_PIN(PF_Pixel, green, 2);
PF_PIN(PF_Pixel, blue, 3);
PF_SIZE(PF_Pixel16, 8, 2);
PF_PIN(PF_Pixel16, alpha, 0);
PF_PIN(PF_Pixel16, red, 2);
PF_PIN(PF_Pixel16, green, 4);
PF_PIN(PF_Pixel16, blue, 6);
PF_SIZE(PF_PixelFloat, 16, 4);
PF_PIN(PF_PixelFloat, red, 4);
PF_PIN(PF_PixelFloat, blue, 12);
PF_SIZE(PF_Rect, 16, 4);
PF_SIZE(PF_Point, 8, 4);
PF_SIZE(PF_RationalScale, 8, 4);
PF_PIN(PF_RationalScale, den, 4);
PF_SIZE(PF_SpecVersion, 4, 2);

PF_SIZE(PF_LayerDef, 120, 8);
PF_PIN(PF_LayerDef, world_flags, 16);
PF_PIN(PF_LayerDef, data, 24);
PF_PIN(PF_LayerDef, rowbytes, 32);
PF_PIN(PF_LayerDef, width, 36);
PF_PIN(PF_LayerDef, height, 40);
PF_PIN(PF_LayerDef, extent_hint, 44);
PF_PIN(PF_LayerDef, platform_ref, 64);
PF_PIN(PF_LayerDef, pix_aspect_ratio, 88);
PF_PIN(PF_LayerDef, origin_x, 104);
PF_PIN(PF_LayerDef, dephault, 116);

PF_SIZE(PF_SliderDef, 88, 4);
PF_PIN(PF_SliderDef, value_str, 4);
PF_PIN(PF_SliderDef, value_desc, 36);
PF_PIN(PF_SliderDef, valid_min, 68);
PF_PIN(PF_SliderDef, valid_max, 72);
PF_PIN(PF_SliderDef, slider_min, 76);
PF_PIN(PF_SliderDef, slider_max, 80);
PF_PIN(PF_SliderDef, dephault, 84);
PF_SIZE(PF_PopupDef, 16, 8);
PF_PIN(PF_PopupDef, num_choices, 4);
PF_PIN(PF_PopupDef, dephault, 6);
PF_PIN(PF_PopupDef, u.namesptr, 8);
PF_SIZE(PF_ColorDef, 8, 1);
PF_PIN(PF_ColorDef, dephault, 4);
PF_SIZE(PF_ParamDefUnion, 120, 8);

PF_SIZE(PF_ParamDef, 176, 8);
PF_PIN(PF_ParamDef, uu.id, 0);
PF_PIN(PF_ParamDef, ui_flags, 4);
PF_PIN(PF_ParamDef, ui_width, 8);
PF_PIN(PF_ParamDef, param_type, 12);
PF_PIN(PF_ParamDef, name, 16);
PF_PIN(PF_ParamDef, flags, 48);
PF_PIN(PF_ParamDef, u, 56);
PF_PIN(PF_ParamDef, u.sd.valid_min, 124);
PF_PIN(PF_ParamDef, u.sd.dephault, 140);
PF_PIN(PF_ParamDef, u.pd.num_choices, 60);
PF_PIN(PF_ParamDef, u.pd.dephault, 62);
PF_PIN(PF_ParamDef, u.pd.u.namesptr, 64);
PF_PIN(PF_ParamDef, u.cd.dephault, 60);
PF_PIN(PF_ParamDef, u.ld.world_flags, 72);
PF_PIN(PF_ParamDef, u.ld.data, 80);
PF_PIN(PF_ParamDef, u.ld.rowbytes, 88);
PF_PIN(PF_ParamDef, u.ld.width, 92);
PF_PIN(PF_ParamDef, u.ld.height, 96);

PF_SIZE(PF_ExtDependenciesExtra, 16, 8);
PF_PIN(PF_ExtDependenciesExtra, dependencies_strH, 8);
PF_SIZE(PF_SoundFormatInfo, 16, 8);
PF_SIZE(PF_SoundWorld, 32, 8);
PF_PIN(PF_SoundWorld, dataP, 24);

PF_SIZE(PF_InteractCallbacks, 176, 8);
PF_PIN(PF_InteractCallbacks, checkout_param, 0);
PF_PIN(PF_InteractCallbacks, checkin_param, 8);
PF_PIN(PF_InteractCallbacks, add_param, 16);
PF_PIN(PF_InteractCallbacks, abort, 24);
PF_PIN(PF_InteractCallbacks, progress, 32);
PF_PIN(PF_InteractCallbacks, reserved_str, 72);
PF_PIN(PF_InteractCallbacks, reserved, 96);

PF_SIZE(PF_ANSICallbacks, 160, 8);
PF_PIN(PF_ANSICallbacks, exp, 32);
PF_PIN(PF_ANSICallbacks, pow, 88);
PF_PIN(PF_ANSICallbacks, sqrt, 104);
PF_PIN(PF_ANSICallbacks, sprintf, 120);
PF_PIN(PF_ANSICallbacks, strcpy, 128);
PF_PIN(PF_ANSICallbacks, acos, 144);
PF_PIN(PF_ANSICallbacks, ansi_procs, 152);
PF_SIZE(PF_ColorCallbacks, 64, 8);

PF_SIZE(PF_UtilCallbacks, 552, 8);
PF_PIN(PF_UtilCallbacks, new_world, 112);
PF_PIN(PF_UtilCallbacks, dispose_world, 120);
PF_PIN(PF_UtilCallbacks, host_new_handle, 160);
PF_PIN(PF_UtilCallbacks, host_lock_handle, 168);
PF_PIN(PF_UtilCallbacks, host_dispose_handle, 184);
PF_PIN(PF_UtilCallbacks, app, 200);
PF_PIN(PF_UtilCallbacks, ansi, 208);
PF_PIN(PF_UtilCallbacks, ansi.exp, 240);
PF_PIN(PF_UtilCallbacks, ansi.pow, 296);
PF_PIN(PF_UtilCallbacks, ansi.sqrt, 312);
PF_PIN(PF_UtilCallbacks, ansi.sprintf, 328);
PF_PIN(PF_UtilCallbacks, ansi.strcpy, 336);
PF_PIN(PF_UtilCallbacks, colorCB, 368);
PF_PIN(PF_UtilCallbacks, get_platform_data, 432);
PF_PIN(PF_UtilCallbacks, host_get_handle_size, 440);
PF_PIN(PF_UtilCallbacks, reserved, 544);

PF_SIZE(PF_InData, 408, 8);
PF_PIN(PF_InData, inter, 0);
PF_PIN(PF_InData, utils, 176);
PF_PIN(PF_InData, effect_ref, 184);
PF_PIN(PF_InData, quality, 192);
PF_PIN(PF_InData, version, 196);
PF_PIN(PF_InData, appl_id, 204);
PF_PIN(PF_InData, num_params, 208);
PF_PIN(PF_InData, current_time, 224);
PF_PIN(PF_InData, time_step, 228);
PF_PIN(PF_InData, total_time, 232);
PF_PIN(PF_InData, time_scale, 240);
PF_PIN(PF_InData, width, 252);
PF_PIN(PF_InData, height, 256);
PF_PIN(PF_InData, extent_hint, 260);
PF_PIN(PF_InData, downsample_x, 284);
PF_PIN(PF_InData, downsample_y, 292);
PF_PIN(PF_InData, downsample_y.num, 292);
PF_PIN(PF_InData, downsample_y.den, 296);
PF_PIN(PF_InData, pixel_aspect_ratio, 300);
PF_PIN(PF_InData, in_flags, 308);
PF_PIN(PF_InData, global_data, 312);
PF_PIN(PF_InData, src_snd, 352);
PF_PIN(PF_InData, pica_basicP, 384);
PF_PIN(PF_InData, shutter_phase, 400);

PF_SIZE(PF_OutData, 408, 8);
PF_PIN(PF_OutData, my_version, 0);
PF_PIN(PF_OutData, name, 4);
PF_PIN(PF_OutData, global_data, 40);
PF_PIN(PF_OutData, num_params, 48);
PF_PIN(PF_OutData, sequence_data, 56);
PF_PIN(PF_OutData, frame_data, 72);
PF_PIN(PF_OutData, width, 80);
PF_PIN(PF_OutData, out_flags, 96);
PF_PIN(PF_OutData, return_msg, 100);
PF_PIN(PF_OutData, start_sampL, 356);
PF_PIN(PF_OutData, dest_snd, 368);
PF_PIN(PF_OutData, out_flags2, 400);

PF_SIZE(SPBasicSuite, 56, 8);
PF_PIN(SPBasicSuite, AcquireSuite, 0);
PF_PIN(SPBasicSuite, ReleaseSuite, 8);
PF_SIZE(PF_ANSICallbacksSuite1, 152, 8);
PF_PIN(PF_ANSICallbacksSuite1, sprintf, 120);
PF_PIN(PF_ANSICallbacksSuite1, strcpy, 128);
PF_SIZE(PF_HandleSuite1, 48, 8);
PF_PIN(PF_HandleSuite1, host_new_handle, 0);
PF_PIN(PF_HandleSuite1, host_dispose_handle, 24);
PF_SIZE(PF_ColorParamSuite1, 8, 8);
PF_SIZE(PF_UtilitySuite4, 104, 8);
PF_PIN(PF_UtilitySuite4, EffectWantsCheckedOutFramesToMatchRenderPixelFormat, 96);
PF_SIZE(PF_PixelFormatSuite1, 64, 8);
PF_PIN(PF_PixelFormatSuite1, AddSupportedPixelFormat, 0);
PF_PIN(PF_PixelFormatSuite1, ClearSupportedPixelFormats, 8);
PF_PIN(PF_PixelFormatSuite1, GetPixelFormat, 32);

#undef PF_PIN
#undef PF_SIZE
