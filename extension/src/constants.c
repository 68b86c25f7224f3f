/* The constants of Ztl: the 22 Integer constants in the order of their
 * families (selectors, item kinds, panes, alarm units), then VERSION. Each
 * is written out with its comment, which RDoc shows as its meaning. */
#include "version.h"
#include "ztl.h"

/* The module (made by ztl.c) is looked up by name, so that RDoc sees which
 * module these belong to. */
void ztl_init_constants(void) {
  VALUE mZtl = rb_define_module("Ztl");
  /* Selectors of special items, for ZtlItem.new. */
  /* 0: the current item */
  rb_define_const(mZtl, "CURRENT_ITEM", INT2FIX(ZTL_SELECT_CURRENT_ITEM));
  /* 1: the current project */
  rb_define_const(mZtl, "CURRENT_PROJECT", INT2FIX(ZTL_SELECT_CURRENT_PROJECT));
  /* 2: the current folder */
  rb_define_const(mZtl, "CURRENT_FOLDER", INT2FIX(ZTL_SELECT_CURRENT_FOLDER));
  /* 3: the recycle bin */
  rb_define_const(mZtl, "RECYCLED", INT2FIX(ZTL_SELECT_RECYCLED));
  /* 4: the project of search results */
  rb_define_const(mZtl, "FIND_PROJECT", INT2FIX(ZTL_SELECT_FIND_PROJECT));
  /* 5: the template project */
  rb_define_const(mZtl, "TEMPLATE_PROJECT", INT2FIX(ZTL_SELECT_TEMPLATE_PROJECT));
  /* 6: the scrap project */
  rb_define_const(mZtl, "SCRAP_PROJECT", INT2FIX(ZTL_SELECT_SCRAP_PROJECT));
  /* 7: the first selected item */
  rb_define_const(mZtl, "SELECTED_TOP", INT2FIX(ZTL_SELECT_SELECTED_TOP));
  /* Item kinds: the host's values, which are not in the order they are listed. */
  /* 0: a task (ZtlItem#kind, #add, #insert) */
  rb_define_const(mZtl, "ITEM_TASK", INT2FIX(ZTL_KIND_TASK));
  /* 2: a folder */
  rb_define_const(mZtl, "ITEM_FOLDER", INT2FIX(ZTL_KIND_FOLDER));
  /* 1: a filer */
  rb_define_const(mZtl, "ITEM_FILER", INT2FIX(ZTL_KIND_FILER));
  /* 3: a project */
  rb_define_const(mZtl, "ITEM_PROJECT", INT2FIX(ZTL_KIND_PROJECT));
  /* Panes of the host's window, for ztl_focus_pain and ztl_set_focus_pain. */
  /* 0: no pane */
  rb_define_const(mZtl, "AC_NONE", INT2FIX(0));
  /* 1: the tree of projects and folders */
  rb_define_const(mZtl, "AC_TREEVIEW", INT2FIX(1));
  /* 2: the task list */
  rb_define_const(mZtl, "AC_TASKLISTVIEW", INT2FIX(2));
  /* 3: the editor */
  rb_define_const(mZtl, "AC_EDIT", INT2FIX(3));
  /* 4: the folder launcher */
  rb_define_const(mZtl, "AC_FOLDERLAUNCHER", INT2FIX(4));
  /* 5: the task launcher */
  rb_define_const(mZtl, "AC_TASKLAUNCHER", INT2FIX(5));
  /* 6: the filer */
  rb_define_const(mZtl, "AC_FILER", INT2FIX(6));
  /* Alarm units, for ZtlItem#set_alarm and #alarm_count_unit. */
  /* 0: minutes */
  rb_define_const(mZtl, "AU_MIN", INT2FIX(0));
  /* 1: hours */
  rb_define_const(mZtl, "AU_HOUR", INT2FIX(1));
  /* 2: days */
  rb_define_const(mZtl, "AU_DAY", INT2FIX(2));
  /* The version of ztl and of its gem, a String such as "1.0.0" */
  rb_define_const(mZtl, "VERSION", rb_obj_freeze(rb_str_new_cstr(ZTL_EXTENSION_VERSION)));
}
