#include <stdio.h>

#define MAX 100

/* 老师提供：读入成绩，以 -1 结束，返回人数 */
int read_scores(int scores[], int max)
{
    int n = 0, x;
    while (n < max && scanf("%d", &x) == 1 && x != -1) {
        scores[n] = x;
        n = n + 1;
    }
    return n;
}

/* 求最大值和最小值 */
void find_extremes(int scores[], int n, int *high, int *low)
{
    int i;
    *high = scores[0];
    *low = scores[0];
    for (i = 1; i < n; i++) {
        if (scores[i] > *high)
            *high = scores[i];
        if (scores[i] < *low)
            *low = scores[i];
    }
}

char grade_of(int score)
{
    if (score >= 90) return 'A';
    if (score >= 80) return 'B';
    if (score >= 70) return 'C';
    if (score >= 60) return 'D';
    return 'F';
}

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    int i, sum = 0, passed = 0, high, low;
    int counts[5] = {0, 0, 0, 0, 0};
    char letters[] = "ABCDF";

    if (n == 0) {
        printf("no scores\n");
        return 0;
    }
    for (i = 0; i < n; i++) {
        sum += scores[i];
        if (scores[i] >= 60)
            passed++;
        switch (grade_of(scores[i])) {
        case 'A': counts[0]++; break;
        case 'B': counts[1]++; break;
        case 'C': counts[2]++; break;
        case 'D': counts[3]++; break;
        default: counts[4]++; break;
        }
    }
    find_extremes(scores, n, &high, &low);
    printf("count %d average %.2f\n", n, (double)sum / n);
    printf("highest %d lowest %d passed %d\n", high, low, passed);
    for (i = 0; i < 5; i++)
        printf("%c: %d\n", letters[i], counts[i]);
    return 0;
}
