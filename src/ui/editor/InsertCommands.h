#pragma once
// The insert-command catalogue of the document window: actions, the "&Insert" menu, the tool
// pages and the main edit toolbar, made from one table.
class TMDIForm;

void CreateInsertCommands(TMDIForm *form);
