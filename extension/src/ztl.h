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

/* The selectors of request 1, item kinds and the alarm record: ztl/payloads.h. */
#include <ztl/payloads.h>

/* One init per family or class, each in its own file, called by Init_ztl in
 * the order in which the module is registered. */
void ztl_init_conversions(void);
void ztl_init_module_functions(void); /* module_functions.c */
void ztl_init_dialogs(void);         /* dialogs.c: disp_item_select, disp_date_dialog, disp_input_dialog */
void ztl_init_item(void);             /* item.c: ZtlItem */
void ztl_init_constants(void);        /* constants.c */

#endif /* ZTL_EXTENSION_H */
