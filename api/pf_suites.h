// The basic suite and the five function suites the effect acquires by name
// and version.
#pragma once

#include "pf_records.h"

#pragma pack(push, 8)

struct SPBasicSuite {
    SPErr (*AcquireSuite)(const char *name, int32_t version, const void **suite);
    SPErr (*ReleaseSuite)(const char *name, int32_t version);
    SPBoolean (*IsEqual)(const char *a, const char *b);
    SPErr (*AllocateBlock)(size_t size, void **block);
    SPErr (*FreeBlock)(void *block);
    SPErr (*ReallocateBlock)(void *block, size_t new_size, void **new_block);
    SPErr (*Undefined)(void);
};

// The ANSI callbacks again, as a suite: the same slots without ansi_procs.
struct PF_ANSICallbacksSuite1 {
    A_FpLong (*atan)(A_FpLong);
    A_FpLong (*atan2)(A_FpLong y, A_FpLong x);
    A_FpLong (*ceil)(A_FpLong);
    A_FpLong (*cos)(A_FpLong);
    A_FpLong (*exp)(A_FpLong);
    A_FpLong (*fabs)(A_FpLong);
    A_FpLong (*floor)(A_FpLong);
    A_FpLong (*fmod)(A_FpLong x, A_FpLong y);
    A_FpLong (*hypot)(A_FpLong x, A_FpLong y);
    A_FpLong (*log)(A_FpLong);
    A_FpLong (*log10)(A_FpLong);
    A_FpLong (*pow)(A_FpLong x, A_FpLong y);
    A_FpLong (*sin)(A_FpLong);
    A_FpLong (*sqrt)(A_FpLong);
    A_FpLong (*tan)(A_FpLong);
    int (*sprintf)(A_char *dst, const A_char *fmt, ...);
    A_char *(*strcpy)(A_char *dst, const A_char *src);
    A_FpLong (*asin)(A_FpLong);
    A_FpLong (*acos)(A_FpLong);
};

struct PF_HandleSuite1 {
    PF_Handle (*host_new_handle)(A_HandleSize size);
    void *(*host_lock_handle)(PF_Handle handle);
    void (*host_unlock_handle)(PF_Handle handle);
    void (*host_dispose_handle)(PF_Handle handle);
    A_HandleSize (*host_get_handle_size)(PF_Handle handle);
    PF_Err (*host_resize_handle)(A_HandleSize new_size, PF_Handle *handle);
};

struct PF_ColorParamSuite1 {
    PF_Err (*PF_GetFloatingPointColorFromColorDef)(PF_ProgPtr effect_ref,
                                                   const PF_ParamDef *color_def,
                                                   PF_PixelFloat *fp_color);
};

struct PF_UtilitySuite4 {
    PF_Err (*GetFilterInstanceID)(PF_ProgPtr effect_ref, A_long *id);
    PF_Err (*GetMediaTimecode)(PF_ProgPtr effect_ref, A_long *frame, A_u_long *display);
    PF_Err (*GetClipSpeed)(PF_ProgPtr effect_ref, double *speed);
    PF_Err (*GetClipDuration)(PF_ProgPtr effect_ref, A_long *duration);
    PF_Err (*GetClipStart)(PF_ProgPtr effect_ref, A_long *start);
    PF_Err (*GetUnscaledClipDuration)(PF_ProgPtr effect_ref, A_long *duration);
    PF_Err (*GetUnscaledClipStart)(PF_ProgPtr effect_ref, A_long *start);
    PF_Err (*GetTrackItemStart)(PF_ProgPtr effect_ref, A_long *start);
    PF_Err (*GetMediaFieldType)(PF_ProgPtr effect_ref, int32_t *field_type);
    PF_Err (*GetMediaFrameRate)(PF_ProgPtr effect_ref, int64_t *ticks_per_frame);
    PF_Err (*GetContainingTimelineID)(PF_ProgPtr effect_ref, int32_t *timeline_id);
    PF_Err (*GetClipName)(PF_ProgPtr effect_ref, void *name);
    PF_Err (*EffectWantsCheckedOutFramesToMatchRenderPixelFormat)(PF_ProgPtr effect_ref);
};

struct PF_PixelFormatSuite1 {
    PF_Err (*AddSupportedPixelFormat)(PF_ProgPtr effect_ref, PrPixelFormat format);
    PF_Err (*ClearSupportedPixelFormats)(PF_ProgPtr effect_ref);
    PF_Err (*NewWorldOfPixelFormat)(PF_ProgPtr effect_ref, A_u_long width, A_u_long height,
                                    PF_NewWorldFlags flags, PrPixelFormat format,
                                    PF_EffectWorld *world);
    PF_Err (*DisposeWorld)(PF_ProgPtr effect_ref, PF_EffectWorld *world);
    PF_Err (*GetPixelFormat)(PF_EffectWorld *world, PrPixelFormat *format);
    PF_Err (*GetBlackForPixelFormat)(PrPixelFormat format, void *pixel);
    PF_Err (*GetWhiteForPixelFormat)(PrPixelFormat format, void *pixel);
    PF_Err (*ConvertColorToPixelFormattedData)(PrPixelFormat format, float alpha, float red,
                                               float green, float blue, void *pixel);
};

inline constexpr const char kSPBasicSuite[] = "SP Basic Suite";
inline constexpr const char kPFANSISuite[] = "PF ANSI Suite";
inline constexpr const char kPFHandleSuite[] = "PF Handle Suite";
inline constexpr const char kPFColorParamSuite[] = "PF ColorParamSuite";
inline constexpr const char kPFUtilitySuite[] = "PF Utility Suite";
inline constexpr const char kPFPixelFormatSuite[] = "PF Pixel Format Suite";

enum {
    kSPBasicSuiteVersion = 4,
    kPFANSISuiteVersion1 = 1,
    kPFHandleSuiteVersion1 = 2,  // the 64-bit handle suite; there is no other
    kPFColorParamSuiteVersion1 = 1,
    kPFUtilitySuiteVersion4 = 4,
    kPFPixelFormatSuiteVersion1 = 1,
};

enum : int32_t { kSPNoError = 0, kSPSuiteNotFoundError = 0x53214664 /* 'S!Fd' */ };

#pragma pack(pop)
