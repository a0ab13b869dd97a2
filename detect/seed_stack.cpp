#include "detect/seed_stack.h"

Seed::Seed()
    : state(0),
      x(0),
      y(0),
      spanLeft(0),
      spanRight(0),
      parent(0),
      isRoot(false),
      isBelowParent(false),
      canGoUp(false),
      canGoDown(false),
      upDone(false),
      cursor(0),
      cursorEnd(0) {}

SeedStack::SeedStack() : count(0) {}
