/* The 22 Integer constants of Ztl, registered in the order of their families:
 * selectors, item kinds, panes, alarm units. */
#include "ztl.h"

typedef struct NamedConstant {
  const char* name;
  int value;
} NamedConstant;

static const NamedConstant kConstants[] = {
    {"CURRENT_ITEM", ZTL_SELECT_CURRENT_ITEM},
    {"CURRENT_PROJECT", ZTL_SELECT_CURRENT_PROJECT},
    {"CURRENT_FOLDER", ZTL_SELECT_CURRENT_FOLDER},
    {"RECYCLED", ZTL_SELECT_RECYCLED},
    {"FIND_PROJECT", ZTL_SELECT_FIND_PROJECT},
    {"TEMPLATE_PROJECT", ZTL_SELECT_TEMPLATE_PROJECT},
    {"SCRAP_PROJECT", ZTL_SELECT_SCRAP_PROJECT},
    {"SELECTED_TOP", ZTL_SELECT_SELECTED_TOP},
    /* Kinds: the host's values, which are not in the order they are listed. */
    {"ITEM_TASK", ZTL_KIND_TASK},
    {"ITEM_FOLDER", ZTL_KIND_FOLDER},
    {"ITEM_FILER", ZTL_KIND_FILER},
    {"ITEM_PROJECT", ZTL_KIND_PROJECT},
    {"AC_NONE", 0},
    {"AC_TREEVIEW", 1},
    {"AC_TASKLISTVIEW", 2},
    {"AC_EDIT", 3},
    {"AC_FOLDERLAUNCHER", 4},
    {"AC_TASKLAUNCHER", 5},
    {"AC_FILER", 6},
    {"AU_MIN", 0},
    {"AU_HOUR", 1},
    {"AU_DAY", 2},
};

void ztl_init_constants(void) {
  for (size_t i = 0; i < sizeof kConstants / sizeof kConstants[0]; ++i) {
    rb_define_const(ztl_mZtl, kConstants[i].name, INT2FIX(kConstants[i].value));
  }
}
