/* The index of request codes: code, name, family that handles it, and what it does.
 * The one source of truth for both deliverables; the plug-in's dispatch table
 * is checked against it at build time. */
#ifndef ZTL_REQUEST_CODES_H
#define ZTL_REQUEST_CODES_H

/* Families: HOST_QUERY, ITEM_TREE, ITEM_PROPERTY, DOCUMENT_LINK, PROJECT_OPTION, EDITOR, DIALOG. */
#define ZTL_REQUEST_CODES(X) \
  X(1, SPECIAL_ITEM, HOST_QUERY, "special item or item list by selector") \
  X(2, ITEM_PARENT, ITEM_TREE, "item parent") \
  X(3, ITEM_FIRST_CHILD, ITEM_TREE, "item first_child") \
  X(4, ITEM_NEXT_SIBLING, ITEM_TREE, "item next_sibling") \
  X(5, ITEM_PREV_SIBLING, ITEM_TREE, "item prev_sibling") \
  X(6, ITEM_PROJECT, ITEM_TREE, "item project") \
  X(7, ITEM_NEXT_SELECTED, ITEM_TREE, "item next_selected") \
  X(8, ITEM_PREV_SELECTED, ITEM_TREE, "item prev_selected") \
  X(9, ITEM_NEXT, ITEM_TREE, "item next") \
  X(10, ITEM_PREV, ITEM_TREE, "item prev") \
  X(11, ITEM_ADD, ITEM_TREE, "add an item (item add, add_task, add_folder, add_filer, new_project)") \
  X(12, ITEM_INSERT, ITEM_TREE, "item insert") \
  X(13, ITEM_DELETE, ITEM_TREE, "item delete") \
  X(14, ITEM_ASSIGN, ITEM_TREE, "item assign, assign_with_children") \
  X(15, ITEM_KIND, ITEM_TREE, "item kind") \
  X(16, ITEM_LEVEL, ITEM_TREE, "item level") \
  X(17, ITEM_LISTITEM_INDEX, ITEM_TREE, "item listitem_index") \
  X(18, ITEM_TITLE_GET, ITEM_PROPERTY, "item title get") \
  X(19, ITEM_TITLE_SET, ITEM_PROPERTY, "item title set") \
  X(20, ITEM_PROGRESS_GET, ITEM_PROPERTY, "item progress get") \
  X(21, ITEM_PROGRESS_SET, ITEM_PROPERTY, "item progress set") \
  X(22, ITEM_PRIORITY_GET, ITEM_PROPERTY, "item priority get") \
  X(23, ITEM_PRIORITY_SET, ITEM_PROPERTY, "item priority set") \
  X(24, ITEM_MESSAGE_ID_GET, ITEM_PROPERTY, "item message id get") \
  X(25, UPDATE_BRACKET, HOST_QUERY, "ztl_begin_update / ztl_end_update") \
  X(26, ITEM_START_TIME_GET, ITEM_PROPERTY, "item start time get") \
  X(27, ITEM_START_TIME_SET, ITEM_PROPERTY, "item start time set") \
  X(28, ITEM_PLANNED_START_TIME_GET, ITEM_PROPERTY, "item planned start time get") \
  X(29, ITEM_PLANNED_START_TIME_SET, ITEM_PROPERTY, "item planned start time set") \
  X(30, ITEM_END_TIME_GET, ITEM_PROPERTY, "item end time get") \
  X(31, ITEM_END_TIME_SET, ITEM_PROPERTY, "item end time set") \
  X(32, ITEM_DUE_TIME_GET, ITEM_PROPERTY, "item due time get") \
  X(33, ITEM_DUE_TIME_SET, ITEM_PROPERTY, "item due time set") \
  X(34, ITEM_LAST_MODIFY_TIME_GET, ITEM_PROPERTY, "item last modify time get") \
  X(35, ITEM_CREATE_TIME_GET, ITEM_PROPERTY, "item create time get") \
  X(36, ITEM_DOCUMENTS, DOCUMENT_LINK, "list of an item's documents") \
  X(37, ITEM_ADD_DOCUMENT, DOCUMENT_LINK, "add a document") \
  X(38, ITEM_INSERT_DOCUMENT, DOCUMENT_LINK, "insert a document") \
  X(39, ITEM_DELETE_DOCUMENT, DOCUMENT_LINK, "delete a document by index") \
  X(40, DOCUMENT_TITLE_GET, DOCUMENT_LINK, "document title get") \
  X(41, DOCUMENT_TITLE_SET, DOCUMENT_LINK, "document title set") \
  X(42, DOCUMENT_TEXT_GET, DOCUMENT_LINK, "document text get") \
  X(43, DOCUMENT_TEXT_SET, DOCUMENT_LINK, "document text set") \
  X(44, DOCUMENT_TEXTTYPE_GET, DOCUMENT_LINK, "document text type get") \
  X(45, DOCUMENT_TEXTTYPE_SET, DOCUMENT_LINK, "document text type set") \
  X(46, DOCUMENT_TEXTLINK, DOCUMENT_LINK, "document textlink?") \
  X(47, DOCUMENT_FILENAME_GET, DOCUMENT_LINK, "document file name get") \
  X(48, DOCUMENT_FILENAME_SET, DOCUMENT_LINK, "document file name set") \
  X(49, DOCUMENT_DELETE, DOCUMENT_LINK, "delete a document") \
  X(50, DOCUMENT_ASSIGN, DOCUMENT_LINK, "assign a document") \
  X(51, ITEM_SET_FOCUS, ITEM_TREE, "item set_focus") \
  X(52, ITEM_SET_CURRENT_FOLDER, ITEM_TREE, "item set_current_folder") \
  X(53, DOCUMENT_SET_FOCUS, DOCUMENT_LINK, "document set_focus") \
  X(54, ITEM_FILELINKS, DOCUMENT_LINK, "list of an item's file links") \
  X(55, ITEM_ADD_FILELINK, DOCUMENT_LINK, "add a file link") \
  X(56, ITEM_INSERT_FILELINK, DOCUMENT_LINK, "insert a file link") \
  X(57, ITEM_DELETE_FILELINK, DOCUMENT_LINK, "delete a file link by index") \
  X(58, FILELINK_TITLE_GET, DOCUMENT_LINK, "file link title get") \
  X(59, FILELINK_TITLE_SET, DOCUMENT_LINK, "file link title set") \
  X(60, FILELINK_FILENAME_GET, DOCUMENT_LINK, "file link file name get") \
  X(61, FILELINK_FILENAME_SET, DOCUMENT_LINK, "file link file name set") \
  X(62, FILELINK_OPTION_GET, DOCUMENT_LINK, "file link option get") \
  X(63, FILELINK_OPTION_SET, DOCUMENT_LINK, "file link option set") \
  X(64, FILELINK_WORKDIR_GET, DOCUMENT_LINK, "file link working folder get") \
  X(65, FILELINK_WORKDIR_SET, DOCUMENT_LINK, "file link working folder set") \
  X(66, FILELINK_URL, DOCUMENT_LINK, "file link url?") \
  X(67, FILELINK_DELETE, DOCUMENT_LINK, "delete a file link") \
  X(68, FILELINK_ASSIGN, DOCUMENT_LINK, "assign a file link") \
  X(69, FILELINK_EXECUTE, DOCUMENT_LINK, "execute a file link") \
  X(70, ITEM_USER_CATEGORIES_GET, ITEM_PROPERTY, "item user categories get") \
  X(71, ITEM_USER_CATEGORIES_SET, ITEM_PROPERTY, "item user categories set") \
  X(72, ITEM_SELECTED_GET, ITEM_TREE, "item selected?") \
  X(73, ITEM_SELECTED_SET, ITEM_TREE, "item selected=") \
  X(74, ITEM_PROJECT_FILENAME, ITEM_TREE, "item project_filename") \
  X(75, EXEC_COMMAND, HOST_QUERY, "ztl_exec_command") \
  X(76, HOST_PATH, HOST_QUERY, "ztl_path") \
  X(77, USER_FOLDER, HOST_QUERY, "ztl_user_folder") \
  X(78, HOST_VERSION, HOST_QUERY, "ztl_version") \
  X(79, PLUGIN_VERSION, HOST_QUERY, "ruby_ztl_version") \
  X(80, ITEM_CHILDREN, ITEM_TREE, "item children") \
  X(81, SET_FOCUS_PANE, HOST_QUERY, "ztl_set_focus_pain") \
  X(82, EXEC_SHIFT, HOST_QUERY, "ztl_exec_shift") \
  X(83, PROJECT_OPTION_GET, PROJECT_OPTION, "project option get") \
  X(84, PROJECT_OPTION_SET, PROJECT_OPTION, "project option set") \
  X(85, EDIT_SEL_START_GET, EDITOR, "Edit.sel_start") \
  X(86, EDIT_SEL_START_SET, EDITOR, "Edit.sel_start=") \
  X(87, EDIT_SEL_LENGTH_GET, EDITOR, "Edit.sel_length") \
  X(88, EDIT_SEL_LENGTH_SET, EDITOR, "Edit.sel_length=") \
  X(89, FOCUS_PANE, HOST_QUERY, "ztl_focus_pain") \
  X(90, EDIT_SEL_TEXT_GET, EDITOR, "Edit.sel_text") \
  X(91, EDIT_SEL_TEXT_SET, EDITOR, "Edit.sel_text=") \
  X(92, EDIT_ROW_GET, EDITOR, "Edit.row") \
  X(93, EDIT_ROW_SET, EDITOR, "Edit.row=") \
  X(94, EDIT_COL_GET, EDITOR, "Edit.col") \
  X(95, EDIT_COL_SET, EDITOR, "Edit.col=") \
  X(96, EDIT_TOP_ROW_GET, EDITOR, "Edit.top_row") \
  X(97, EDIT_TOP_ROW_SET, EDITOR, "Edit.top_row=") \
  X(98, EDIT_ROW_TO_LINES, EDITOR, "Edit.row2lines") \
  X(99, EDIT_LINE_GET, EDITOR, "Edit.[] (line text get)") \
  X(100, EDIT_LINE_SET, EDITOR, "Edit.[]= (line text set)") \
  X(101, EDIT_LINES_SIZE, EDITOR, "Edit.lines_size") \
  X(102, EDIT_LIST_SIZE, EDITOR, "Edit.list_size") \
  X(103, EDIT_ROW_SIZE, EDITOR, "Edit.row_size") \
  X(104, EDIT_COL_SIZE, EDITOR, "Edit.col_size") \
  X(105, EDIT_COL_TO_CHAR, EDITOR, "Edit.col2char") \
  X(106, DISP_ITEM_SELECT, DIALOG, "disp_item_select") \
  X(107, DISP_DATE_DIALOG, DIALOG, "disp_date_dialog") \
  X(108, DISP_INPUT_DIALOG, DIALOG, "disp_input_dialog") \
  X(109, ITEM_ALARM_GET, ITEM_PROPERTY, "item alarm get") \
  X(110, ITEM_ALARM_SET, ITEM_PROPERTY, "item alarm set or clear")

enum ZtlRequestCode {
  ZTL_REQ_NONE = 0,
#define ZTL_DEFINE_REQUEST_CODE(code, name, family, what) ZTL_REQ_##name = code,
  ZTL_REQUEST_CODES(ZTL_DEFINE_REQUEST_CODE)
#undef ZTL_DEFINE_REQUEST_CODE
  ZTL_REQ_LAST = 110
};

#endif /* ZTL_REQUEST_CODES_H */
