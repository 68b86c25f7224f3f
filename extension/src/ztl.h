/* What the parts of the extension share: the module, its classes and error
 * class, and the init function of each family and class that Init_ztl calls. */
#ifndef ZTL_EXTENSION_H
#define ZTL_EXTENSION_H

#include <ruby.h>

extern VALUE ztl_mZtl;
extern VALUE ztl_eError;
extern VALUE ztl_cItem;
extern VALUE ztl_cItemDocument;
extern VALUE ztl_cFileLink;
extern VALUE ztl_cProjectOption;
extern VALUE ztl_cEdit;

/* Selectors of request 1: the first eight are public constants, the rest are
 * used by the module functions only. */
enum ZtlSelector {
  ZTL_SELECT_CURRENT_ITEM = 0,
  ZTL_SELECT_CURRENT_PROJECT = 1,
  ZTL_SELECT_CURRENT_FOLDER = 2,
  ZTL_SELECT_RECYCLED = 3,
  ZTL_SELECT_FIND_PROJECT = 4,
  ZTL_SELECT_TEMPLATE_PROJECT = 5,
  ZTL_SELECT_SCRAP_PROJECT = 6,
  ZTL_SELECT_SELECTED_TOP = 7,
  ZTL_SELECT_CURRENT_DOCUMENT = 8,
  ZTL_SELECT_SELECTED_ITEMS = 9,
  ZTL_SELECT_DISPLAYED_ITEMS = 10,
  ZTL_SELECT_LOADED_PROJECTS = 11
};

/* One init per family or class, each in its own file, called by Init_ztl in
 * the order in which the module is registered. */
void ztl_init_conversions(void);
void ztl_init_module_functions(void); /* module_functions.c */
void ztl_init_item(void);             /* item.c: ZtlItem */
void ztl_init_constants(void);        /* constants.c */

#endif /* ZTL_EXTENSION_H */
