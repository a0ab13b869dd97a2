// The input record of a command, filled as the chosen application fills it.
#include "host/host_state.h"

A_long applicationId(HostApp app) {
    return app == HostApp::Premiere ? PF_ApplId_PREMIERE : PF_ApplId_AFTER_EFFECTS;
}

void prepareInData(HostState &host, A_long width, A_long height) {
    const HostSettings &settings = host.settings;
    PF_InData &in = host.in;
    in = PF_InData{};
    fillInteractCallbacks(in.inter);
    in.utils = &host.utils;
    in.effect_ref = reinterpret_cast<PF_ProgPtr>(&host);
    in.quality = PF_Quality_HI;
    // The effect API level that current hosts speak.
    in.version = PF_SpecVersion{13, 28};
    in.appl_id = applicationId(settings.app);
    // The input layer and every control the effect has declared.
    in.num_params = 1 + static_cast<A_long>(host.params.size());
    in.current_time = settings.currentTime;
    in.time_step = settings.timeStep;
    in.local_time_step = settings.timeStep;
    in.total_time = settings.totalTime;
    in.time_scale = settings.timeScale;
    in.field = PF_Field_FRAME;
    in.width = width;
    in.height = height;
    in.extent_hint = PF_Rect{0, 0, width, height};
    in.downsample_x = settings.downsampleX;
    in.downsample_y = settings.downsampleY;
    in.pixel_aspect_ratio = PF_RationalScale{1, 1};
    in.pica_basicP = &host.basic;
}
