#pragma once
// Commands of the document window that convert text (entities, letter case, tags, wrapping,
// JavaScript and mail encodings) and edit the tag at the caret.
class TMDIForm;

void CreateConversionCommands(TMDIForm *form);
