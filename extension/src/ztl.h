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
void ztl_init_project_option(void);   /* project_option.c: ZtlProjectOption */

/* ZtlItem#project_option: a new snapshot of the options of item's project, or
 * nil when the host has none for it. */
VALUE ztl_project_option_of(uint32_t item);
void ztl_init_edit(void);             /* edit.c: Edit */
void ztl_init_item_documents(void);   /* item_documents.c: ZtlItem's documents and file links */
void ztl_init_document(void);         /* document.c: ZtlItemDocument */
void ztl_init_file_link(void);        /* file_link.c: ZtlFileLink */
void ztl_init_constants(void);        /* constants.c */
void ztl_init_value_objects(void);    /* value_objects.c: inspect, ==, eql? and hash of the wrappers */

#endif /* ZTL_EXTENSION_H */
