#include "detect/fill_tags.h"

void clearFillTagList(FillTagList &list) {
    for (FillTag &tag : list.tags) {
        tag.area = 0;
        tag.minX = 99999;
        tag.maxX = 0;
        tag.minY = 99999;
        tag.maxY = 0;
        tag.accepted = false;
        tag.tagValue = 0;
        tag.blueOut = 0;
        tag.redOut = 0;
    }
    list.count = 0;
}
