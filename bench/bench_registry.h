// Registration in a fixed order: the floors before the render cases that are
// compared with them, then the stages.
#pragma once

void registerRenderCases();
// withReference: each stage also in its straightforward form, for the
// before-and-after figures (slow: seconds per iteration for the heavy sets).
void registerStageCases(bool withReference);
