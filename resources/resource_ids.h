/* Resource numbers, shared by the resource script and the code. */
#ifndef AURILO_RESOURCE_IDS_H
#define AURILO_RESOURCE_IDS_H

#define saverNameStringId 1
#define saverIconGroupId 102
#define previewBitmapId 103
#define aboutDialogId 2003
#define connectButtonId 1003

/* One address, shown by the dialog and opened by its connect button. */
#define webAddress "http://pellucine.example.jp/"
#define rightsNotice "Copyright (C) 2026 Pellucine. All rights reserved."

#endif
