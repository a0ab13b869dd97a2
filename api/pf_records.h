// The records the host and the effect exchange: worlds, parameters, the
// callback tables and the input and output records of every command.
#pragma once

#include "pf_basic_types.h"

#pragma pack(push, 8)

// An image. The two reserved pointers come first; world_flags precedes data.
struct PF_LayerDef {
    void *reserved0;
    void *reserved1;
    PF_WorldFlags world_flags;
    PF_PixelPtr data;
    A_long rowbytes;
    A_long width;
    A_long height;
    PF_Rect extent_hint;
    void *platform_ref;
    A_long reserved_long1;
    void *reserved_long4;
    PF_RationalScale pix_aspect_ratio;
    void *reserved_long2;
    A_long origin_x;
    A_long origin_y;
    A_long reserved_long3;
    A_long dephault;
};
using PF_EffectWorld = PF_LayerDef;

enum {
    PF_MAX_EFFECT_NAME_LEN = 31,
    PF_MAX_EFFECT_CATEGORY_NAME_LEN = 31,
    PF_MAX_EFFECT_PARAM_NAME_LEN = 31,
    PF_MAX_PARAM_DESCRIPTION_LEN = 31,
    PF_MAX_PARAM_VALUE_LEN = 31,
    PF_MAX_EFFECT_MSG_LEN = 255
};

struct PF_SliderDef {
    PF_ParamValue value;
    A_char value_str[PF_MAX_PARAM_VALUE_LEN + 1];
    A_char value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
    PF_ParamValue valid_min;
    PF_ParamValue valid_max;
    PF_ParamValue slider_min;
    PF_ParamValue slider_max;
    PF_ParamValue dephault;
};

struct PF_PopupDef {
    PF_ParamValue value;
    A_short num_choices;
    A_short dephault;
    union {
        const A_char *namesptr;
    } u;
};

struct PF_ColorDef {
    PF_Pixel value;
    PF_Pixel dephault;
};

// Only the members the effect uses are named; ld is the largest and fixes
// the union's size (120) and alignment (8).
union PF_ParamDefUnion {
    PF_LayerDef ld;
    PF_SliderDef sd;
    PF_PopupDef pd;
    PF_ColorDef cd;
};

struct PF_ParamDef {
    union {
        A_long id;
        PF_ChangeFlags change_flags;
    } uu;
    PF_ParamUIFlags ui_flags;
    A_short ui_width;
    A_short ui_height;
    PF_ParamType param_type;
    A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
    PF_ParamFlags flags;
    A_long unused;
    PF_ParamDefUnion u;
};
using PF_ParamList = PF_ParamDef **;

struct PF_ExtDependenciesExtra {
    PF_DepCheckType check_type;
    PF_Handle dependencies_strH;
};

struct PF_SoundFormatInfo {
    PF_FpLong rateF;
    A_short num_channels;
    A_short format;
    A_short sample_size;
};

struct PF_SoundWorld {
    PF_SoundFormatInfo fi;
    A_long num_samples;
    void *dataP;
};

struct PF_InteractCallbacks {
    PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                             A_long time_step, A_u_long time_scale, PF_ParamDef *param);
    PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef *param);
    PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef *def);
    PF_Err (*abort)(PF_ProgPtr effect_ref);
    PF_Err (*progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
    void *register_ui;
    void *checkout_layer_audio;
    void *checkin_layer_audio;
    void *get_audio_data;
    void *reserved_str[3];
    void *reserved[10];
};

struct PF_ANSICallbacks {
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
    A_long ansi_procs[1];
};

struct PF_ColorCallbacks {
    void *procs[8];
};

struct PF_UtilCallbacks {
    void *sampling_and_blits[14];  // begin_sampling .. premultiply_color
    PF_Err (*new_world)(PF_ProgPtr effect_ref, A_long width, A_long height, PF_NewWorldFlags flags,
                        PF_EffectWorld *world);
    PF_Err (*dispose_world)(PF_ProgPtr effect_ref, PF_EffectWorld *world);
    void *transforms[4];  // iterate_origin, iterate_lut, transfer_rect, transform_world
    PF_Handle (*host_new_handle)(A_u_longlong size);
    void *(*host_lock_handle)(PF_Handle handle);
    void (*host_unlock_handle)(PF_Handle handle);
    void (*host_dispose_handle)(PF_Handle handle);
    void *get_callback_addr;
    PF_Err (*app)(PF_ProgPtr effect_ref, A_long selector, ...);
    PF_ANSICallbacks ansi;
    PF_ColorCallbacks colorCB;
    void *get_platform_data;
    A_u_longlong (*host_get_handle_size)(PF_Handle handle);
    void *iterators_and_samplers[12];  // iterate_origin_non_clip_src .. get_pixel_data16
    A_long reserved[1];
};

struct SPBasicSuite;

struct PF_InData {
    PF_InteractCallbacks inter;
    PF_UtilCallbacks *utils;
    PF_ProgPtr effect_ref;
    PF_Quality quality;
    PF_SpecVersion version;
    A_long serial_num;
    A_long appl_id;
    A_long num_params;
    A_long reserved;
    A_long what_cpu;
    A_long what_fpu;
    A_long current_time;
    A_long time_step;
    A_long total_time;
    A_long local_time_step;
    A_u_long time_scale;
    PF_Field field;
    PF_Fixed shutter_angle;
    A_long width;
    A_long height;
    PF_Rect extent_hint;
    A_long output_origin_x;
    A_long output_origin_y;
    PF_RationalScale downsample_x;
    PF_RationalScale downsample_y;
    PF_RationalScale pixel_aspect_ratio;
    PF_InFlags in_flags;
    PF_Handle global_data;
    PF_Handle sequence_data;
    PF_Handle frame_data;
    A_long start_sampL;
    A_long dur_sampL;
    A_long total_sampL;
    PF_SoundWorld src_snd;
    SPBasicSuite *pica_basicP;
    A_long pre_effect_source_origin_x;
    A_long pre_effect_source_origin_y;
    PF_Fixed shutter_phase;
};

struct PF_OutData {
    A_u_long my_version;
    A_char name[PF_MAX_EFFECT_NAME_LEN + 1];
    PF_Handle global_data;
    A_long num_params;
    PF_Handle sequence_data;
    A_long flat_sdata_size;
    PF_Handle frame_data;
    A_long width;
    A_long height;
    PF_Point origin;
    PF_OutFlags out_flags;
    A_char return_msg[PF_MAX_EFFECT_MSG_LEN + 1];
    A_long start_sampL;
    A_long dur_sampL;
    PF_SoundWorld dest_snd;
    PF_OutFlags2 out_flags2;
};

// The effect's one entry point.
using PF_FilterProc = PF_Err (*)(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data,
                                 PF_ParamDef *params[], PF_LayerDef *output, void *extra);

#pragma pack(pop)
