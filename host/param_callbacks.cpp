// add_param, checkout_param and checkin_param.
#include <cstring>

#include "host/host_state.h"

namespace {

PF_Err addParamCallback(PF_ProgPtr effectRef, PF_ParamIndex index, PF_ParamDef *def) {
    HostState *host = hostFromRef(effectRef);
    if (host == nullptr || def == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    if (faultFires(host->faults.addParam.nth, host->callsSinceFaultPlan.addParam))
        return host->faults.addParam.error;
    CollectedParam collected;
    collected.indexAsked = index;
    collected.def = *def;
    // The choice string belongs to the effect and is freed after this call:
    // take the text now, keep no pointer to it.
    if (def->param_type == PF_Param_POPUP) {
        if (def->u.pd.u.namesptr != nullptr) collected.choices = def->u.pd.u.namesptr;
        collected.def.u.pd.u.namesptr = nullptr;
    }
    host->params.push_back(std::move(collected));
    return PF_Err_NONE;
}

const PF_LayerDef *frameAt(HostState &host, A_long time) {
    if (host.settings.frameSource) return host.settings.frameSource(time);
    return host.renderInput;
}

PF_Err checkoutParamCallback(PF_ProgPtr effectRef, PF_ParamIndex index, A_long time,
                             A_long timeStep, A_u_long timeScale, PF_ParamDef *param) {
    HostState *host = hostFromRef(effectRef);
    if (host == nullptr || param == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    host->report.checkouts.push_back(CheckoutRecord{index, time, timeStep, timeScale});
    if (faultFires(host->faults.checkout.nth, host->callsSinceFaultPlan.checkout)) {
        std::memset(param, 0, sizeof *param);
        return host->faults.checkout.error;
    }
    // Only the input layer is ever checked out by this effect.
    if (index != 0) return PF_Err_INVALID_INDEX;
    const PF_LayerDef *frame = nullptr;
    try {
        frame = frameAt(*host, time);
    } catch (...) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    std::memset(param, 0, sizeof *param);
    param->param_type = PF_Param_LAYER;
    if (frame != nullptr) param->u.ld = *frame;
    // The layer's first reserved pointer is the host's own: it carries the
    // token that checkin_param matches, so a copied record still checks in.
    const std::uintptr_t token = host->nextCheckoutToken++;
    param->u.ld.reserved0 = reinterpret_cast<void *>(token);
    host->checkedOut.insert(token);
    return PF_Err_NONE;
}

PF_Err checkinParamCallback(PF_ProgPtr effectRef, PF_ParamDef *param) {
    HostState *host = hostFromRef(effectRef);
    if (host == nullptr || param == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    const auto token = reinterpret_cast<std::uintptr_t>(param->u.ld.reserved0);
    // A record that a refused checkout left zeroed is checked in harmlessly;
    // a token that is no longer out means the layer was checked in twice.
    if (token == 0) return PF_Err_NONE;
    if (host->checkedOut.erase(token) == 0) {
        ++host->report.unknownCheckins;
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    return PF_Err_NONE;
}

PF_Err abortCallback(PF_ProgPtr) { return PF_Err_NONE; }
PF_Err progressCallback(PF_ProgPtr, A_long, A_long) { return PF_Err_NONE; }

}  // namespace

void fillInteractCallbacks(PF_InteractCallbacks &inter) {
    inter.checkout_param = checkoutParamCallback;
    inter.checkin_param = checkinParamCallback;
    inter.add_param = addParamCallback;
    inter.abort = abortCallback;
    inter.progress = progressCallback;
}
