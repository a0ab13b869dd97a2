#include <stdexcept>

#include "frame/params/params.h"

namespace {

constexpr char PROCESS_CHOICES[] =
    "1 Show result |2 Show only changes |3 Show alpha |4 Show info |";

// Choice 6 has no blank before its second ">"; saved projects and the
// render both go by position, the text is kept as users know it.
constexpr char FILL_WITH_CHOICES[] =
    "Set color|"
    "Existing > Set color|"
    "Existing > +/-1 Frame > Set color|"
    "Existing > +/-3 Frames > Set color|"
    "Existing > +/-3 Frames > Adjacent blur|"
    "Existing > Adjacent blur> Set color|"
    "+/-1 Frame > Set color|"
    "+/-3 Frames > Set color|"
    "+/-3 Frames > Adjacent blur|"
    "Adjacent blur > Set color|";

// The fields a control's type does not use stay zero.
constexpr ParamSpec popup(ParamIndex index, const char *name, const char *choices,
                          A_short numChoices, A_long dephault) {
    ParamSpec control{};
    control.index = index;
    control.type = PF_Param_POPUP;
    control.name = name;
    control.choices = choices;
    control.numChoices = numChoices;
    control.validMin = control.sliderMin = 1;
    control.validMax = control.sliderMax = numChoices;
    control.dephault = dephault;
    return control;
}

constexpr ParamSpec slider(ParamIndex index, const char *name, A_long validMin, A_long validMax,
                           A_long sliderMin, A_long sliderMax, A_long dephault) {
    ParamSpec control{};
    control.index = index;
    control.type = PF_Param_SLIDER;
    control.name = name;
    control.validMin = validMin;
    control.validMax = validMax;
    control.sliderMin = sliderMin;
    control.sliderMax = sliderMax;
    control.dephault = dephault;
    return control;
}

constexpr ParamSpec colour(ParamIndex index, const char *name, A_u_char red, A_u_char green,
                           A_u_char blue) {
    ParamSpec control{};
    control.index = index;
    control.type = PF_Param_COLOR;
    control.name = name;
    control.colourDefault = PF_Pixel{PF_MAX_CHAN8, red, green, blue};
    return control;
}

}  // namespace

// The hole-size control's full wording, ">Only fill holes smaller than
// (pixels across)", is 45 characters and the host's name field holds 31:
// this shorter form keeps "only", the comparison, the unit and "across".
constexpr ParamSpec PARAM_SPECS[PARAM_COUNT - 1] = {
    popup(PARAM_PROCESS, "Process", PROCESS_CHOICES, 4, 1),
    slider(PARAM_CLOSE_EDGE_GAPS, ">Close edge gaps", 0, 30, 0, 15, 10),
    slider(PARAM_HOLE_SIZE, ">Only fill holes < (px across)", 0, 4000, 0, 4000, 200),
    slider(PARAM_BELOW_ALPHA, "Fill holes below alpha", 0, 100, 0, 100, 98),
    popup(PARAM_FILL_WITH, ">Fill with", FILL_WITH_CHOICES, 10, 3),
    colour(PARAM_SET_COLOR, "Set color", 255, 255, 255),
    slider(PARAM_FEATHER_IN, "Feather in", 0, 100, 0, 100, 2),
    slider(PARAM_SHRINK_GROW, "Shrink<->grow fill areas", -50, 50, -20, 20, 0),
    colour(PARAM_DECONTAM_COLOR, ">Decontam from background color", 128, 128, 128),
};

namespace {

constexpr bool nameFitsHostField(const char *name) {
    A_long length = 0;
    while (name[length] != '\0') ++length;
    return length <= PF_MAX_EFFECT_PARAM_NAME_LEN;
}

constexpr bool everyNameFitsHostField() {
    for (const ParamSpec &control : PARAM_SPECS) {
        if (!nameFitsHostField(control.name)) return false;
    }
    return true;
}

}  // namespace

// ParamsSetup copies each name into a 32-byte field of the host's record.
static_assert(everyNameFitsHostField(), "a control's name is longer than the host's field");

const ParamSpec &paramSpec(ParamIndex index) {
    // Index 0 is the input layer, which the host supplies; it has no entry.
    if (index <= PARAM_INPUT || index >= PARAM_COUNT) {
        throw std::out_of_range("paramSpec: no control at this index");
    }
    return PARAM_SPECS[index - 1];
}
