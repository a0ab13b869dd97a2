#include "host/effect_host.h"

#include <cstring>
#include <stdexcept>

#include "host/host_state.h"

namespace {

// The effect hands the dependency text to the host; from then on it is the
// host's to keep, not a leak.
void adoptDependencyHandle(HostState &host, void *extra) {
    auto *request = static_cast<PF_ExtDependenciesExtra *>(extra);
    if (request == nullptr || request->dependencies_strH == nullptr) return;
    auto found = host.handles.find(request->dependencies_strH);
    if (found == host.handles.end()) return;
    host.ownedHandles.insert(std::move(*found));
    host.handles.erase(found);
}

std::string handleText(PF_Handle handle, A_u_longlong size) {
    if (handle == nullptr || *handle == nullptr) return std::string();
    const char *bytes = static_cast<const char *>(*handle);
    return std::string(bytes, strnlen(bytes, size));
}

}  // namespace

EffectHost::EffectHost(PF_FilterProc entry, const HostSettings &settings)
    : entry_(entry), state_(std::make_unique<HostState>()) {
    state_->settings = settings;
    fillWorldCallbacks(state_->utils);
    fillHandleCallbacks(state_->utils);
    fillAnsiCallbacks(state_->utils.ansi);
    fillBasicSuite(state_->basic);
}

EffectHost::~EffectHost() = default;

HostSettings &EffectHost::settings() { return state_->settings; }

void EffectHost::setFaults(const FaultPlan &plan) {
    state_->faults = plan;
    state_->callsSinceFaultPlan = FaultCounters{};
}

void EffectHost::setOutDataTemplate(const PF_OutData &outTemplate) {
    state_->outTemplate = outTemplate;
}

CommandReport EffectHost::run(PF_Cmd cmd, PF_ParamDef **params, PF_LayerDef *output, void *extra,
                              A_long width, A_long height) {
    HostState &host = *state_;
    if (cmd == PF_Cmd_PARAMS_SETUP) {
        host.params.clear();
        host.paramsDeclared = false;
    }
    prepareInData(host, width, height);
    host.out = host.outTemplate;
    host.report = CommandReport{};
    PF_Err err = PF_Err_NONE;
    {
        CurrentHostScope scope(&host);
        try {
            err = entry_(cmd, &host.in, &host.out, params, output, extra);
        } catch (...) {
            host.report.exceptionEscaped = true;
            err = PF_Err_INTERNAL_STRUCT_DAMAGED;
        }
    }
    if (cmd == PF_Cmd_GET_EXTERNAL_DEPENDENCIES) adoptDependencyHandle(host, extra);
    if (cmd == PF_Cmd_PARAMS_SETUP) host.paramsDeclared = err == PF_Err_NONE;
    finishReport(host, cmd, err);
    reclaimLeftovers(host);
    return host.report;
}

CommandReport EffectHost::command(PF_Cmd cmd, void *extra, PF_ParamDef **params,
                                  PF_LayerDef *output) {
    return run(cmd, params, output, extra, state_->settings.width, state_->settings.height);
}

CommandReport EffectHost::about() { return command(PF_Cmd_ABOUT); }

CommandReport EffectHost::globalSetup() { return command(PF_Cmd_GLOBAL_SETUP); }

ParamsSetupReply EffectHost::paramsSetup() {
    ParamsSetupReply reply;
    reply.report = command(PF_Cmd_PARAMS_SETUP);
    reply.params = state_->params;
    return reply;
}

CommandReport EffectHost::render(const ParamValues &values, const PF_LayerDef &input,
                                 PF_LayerDef &output) {
    // A host renders only an effect whose parameter setup succeeded: the
    // array holds what it declared there, nothing else.
    if (!state_->paramsDeclared)
        throw std::logic_error("EffectHost::render before a successful parameter setup");
    ParamArray array;
    buildParamArray(state_->params, values, input, array);
    state_->renderInput = &input;
    return run(PF_Cmd_RENDER, array.list.data(), &output, nullptr, input.width, input.height);
}

DependencyReply EffectHost::dependencies(PF_DepCheckType checkType) {
    PF_ExtDependenciesExtra request{};
    request.check_type = checkType;
    DependencyReply reply;
    reply.report = command(PF_Cmd_GET_EXTERNAL_DEPENDENCIES, &request);
    reply.handle = request.dependencies_strH;
    auto owned = state_->ownedHandles.find(reply.handle);
    if (owned != state_->ownedHandles.end()) {
        reply.handleSize = owned->second->size;
        reply.text = handleText(reply.handle, reply.handleSize);
    }
    return reply;
}

const PF_InData &EffectHost::inData() const { return state_->in; }
const PF_OutData &EffectHost::outData() const { return state_->out; }

const std::vector<CollectedParam> &EffectHost::collectedParams() const { return state_->params; }

ParamValues EffectHost::defaultValues() const { return declaredDefaults(state_->params); }

const std::vector<PrPixelFormat> &EffectHost::supportedPixelFormats() const {
    return state_->supportedFormats;
}

int EffectHost::matchingCheckoutRequests() const { return state_->matchingCheckoutRequests; }

std::size_t EffectHost::ownedHandleCount() const { return state_->ownedHandles.size(); }
